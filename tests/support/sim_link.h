#pragma once

#include <QByteArray>
#include <functional>
#include <utility>
#include <vector>

#include "core/app/timer.h"
#include "core/link/command.h"
#include "core/link/deframer.h"
#include "core/link/receiver_link.h"
#include "sim/core/simulated_receiver.h"

namespace qv {

// A network link with the simulated Receiver behind it, in-process and in virtual time: what
// is sent reaches the Receiver at once, what it streams is paced by the given timers, and
// every message it sends is handed to deliver as a network link would hand it on.
class SimLink : public ReceiverLink {
 public:
  using Deliver = std::function<void(const QByteArray& message)>;

  SimLink(TimerFactory& timers, sim::SimOptions options, Deliver deliver = {})
      : deliver_(std::move(deliver)),
        deframer_([this](const uint8_t* data, size_t length) {
          if (open_ && deliver_) {
            deliver_(
                QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length)));
          }
        }),
        receiver_(timers, sim::Transport::kNetwork, std::move(options),
                  [this](const uint8_t* data, size_t length) { FromReceiver(data, length); }) {}

  void SetDeliver(Deliver deliver) { deliver_ = std::move(deliver); }

  bool Send(const uint8_t* command, size_t length) override {
    if (!open_) return false;
    Bytes frame = FrameCommand(command, length, /*with_check_byte=*/true);
    written.push_back(frame);
    receiver_.Feed(frame.data(), frame.size());
    return true;
  }

  void Close() override {
    open_ = false;
    ++closes;
  }

  bool IsOpen() const { return open_; }
  sim::SimulatedReceiver& Receiver() { return receiver_; }

  std::vector<Bytes> written;  // every frame as it went on the wire
  int closes = 0;

 private:
  void FromReceiver(const uint8_t* data, size_t length) {
    // A delivered message may make the program send, and the Receiver answer, at once; those
    // bytes wait until the de-framer has finished with the current ones.
    pending_.insert(pending_.end(), data, data + length);
    if (feeding_) return;
    feeding_ = true;
    while (!pending_.empty()) {
      Bytes chunk;
      chunk.swap(pending_);
      deframer_.Feed(chunk.data(), chunk.size());
    }
    feeding_ = false;
  }

  Deliver deliver_;
  NetworkDeframer deframer_;
  sim::SimulatedReceiver receiver_;
  Bytes pending_;
  bool feeding_ = false;
  bool open_ = true;
};

}  // namespace qv
