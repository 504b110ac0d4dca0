// Feeds a script of received messages, clock advances and flag changes to the receive handler,
// with a real trace record behind it.
//
// Script: a control byte c, then
//   c < 0x80:         a message: 16-bit little-endian length, then that many bytes (or the rest)
//   0x80 <= c < 0xC0: advance virtual time by (c & 0x3F) x 250 ms, up to kMaxVirtualMs in all
//   c >= 0xC0:        bit 0 logging, bit 1 printing, bit 2 the link closes, bit 3 it opens again
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/app/connection_ops.h"
#include "core/app/manual_clock.h"
#include "core/display/trace_sweep_processor.h"
#include "core/link/message_decoder.h"
#include "core/link/sweep_message.h"

namespace qv {
namespace {

// Long enough for every timer of the handler to run its course (handshake time-out, silence
// warning, two whole low-battery countdowns); beyond that, ticks repeat what they did and only
// cost time: inputs of many advances spent most of the fuzzer's time firing timers.
constexpr int64_t kMaxVirtualMs = 120000;

class AcceptingLink : public ReceiverLink {
 public:
  bool Send(const uint8_t* command, size_t length) override { return open_ && length > 0; }
  void Close() override { open_ = false; }

 private:
  bool open_ = true;
};

class NullAlerts : public Alerts {
 public:
  void Show(const std::string&, const std::string&) override {}
};

// Reads every byte it is handed, so the sanitizer sees any range the handler gets wrong.
class Fakes : public ReceiveLog, public HandshakeSteps, public ReceiveView, public GraphSteps {
 public:
  bool IsLogging() const override { return logging; }
  void WriteMessageRecord(const uint8_t* m, size_t n) override { Touch(m, n); }
  void SetFirmwareBytes(const uint8_t* b, size_t n) override { Touch(b, n); }
  void SetSerialBytes(const uint8_t* b, size_t n) override {
    if (n > 6) std::abort();
    Touch(b, n);
  }

  void FirmwareStep() override {}
  void BandStep() override {}
  void ClosingSteps() override {
    if (ops != nullptr) ops->SetDefaultSpectrum();
  }
  void TimeOutStep() override {}

  void SetStatusPaneText(int, const std::string& text) override { Touch(text.data(), text.size()); }
  void SetModeFlags(bool, bool) override {}
  void TriggerArrived() override {}
  bool IsPrinting() const override { return printing; }
  void Repaint() override {}
  void Quit(int code) override {
    if (code != kLowBatteryExitCode || quit_) std::abort();
    quit_ = true;
  }

  void ResetTraces() override {}
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {48000, 1000}; }
  void LinkClosed() override {
    if (handler != nullptr) handler->OnLinkClosed();
  }

  bool logging = false;
  bool printing = false;
  CConnectionOps* ops = nullptr;
  ReceiverMessageHandler* handler = nullptr;
  volatile uint8_t sink = 0;

 private:
  void Touch(const void* p, size_t n) {
    const auto* bytes = static_cast<const uint8_t*>(p);
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i) x ^= bytes[i];
    sink = x;
  }

  bool quit_ = false;
};

}  // namespace
}  // namespace qv

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  ManualClock clock;
  Fakes fakes;
  NullAlerts alerts;
  ReceiverState state;
  AcceptingLink link;
  CConnectionOps ops(state, alerts, fakes);
  ops.SetLink(kInternetInterface, &link);
  state.interface_index = kInternetInterface;
  state.connected = 1;
  fakes.ops = &ops;
  // The record is large and slow to clear, so one serves every input; inputs can still reset it.
  static TraceData* trace = new TraceData();
  static ReceiverIdentity* identity = new ReceiverIdentity();
  TraceSweepProcessor sweeps(*trace, *identity, [] { return PlotRect{0, 0, 1000, 600}; });
  ReceiverMessageHandler handler(clock, fakes, sweeps, fakes, fakes);
  handler.SetConnection(&ops);
  fakes.handler = &handler;
  handler.StartHandshakeTimeout();

  size_t pos = 0;
  while (pos < size) {
    const uint8_t c = data[pos++];
    if (c < 0x80) {
      size_t length = 0;
      if (pos < size) length = data[pos++];
      if (pos < size) length |= static_cast<size_t>(data[pos++]) << 8;
      if (length > size - pos) length = size - pos;
      // A heap copy of exactly the message, as a link hands it over.
      std::vector<uint8_t> message(data + pos, data + pos + length);
      handler.OnReceiverMessage(message.data(), message.size());
      pos += length;
      if (length > 0 && length <= ReceiverMessageHandler::kReceiveBufferSize &&
          (handler.MessageLength() != length || handler.MessageType() != message[0])) {
        std::abort();
      }
      if (handler.SerialText().size() > 6) std::abort();
    } else if (c < 0xC0) {
      clock.Advance(std::min<int64_t>((c & 0x3F) * 250, kMaxVirtualMs - clock.Now()));
    } else {
      fakes.logging = (c & 1) != 0;
      fakes.printing = (c & 2) != 0;
      if ((c & 4) != 0) {
        const bool quitting = handler.LowBatteryCountdown() < 0;
        ops.CloseLink();
        // The closed link takes the Receiver's low battery with it, unless the exit is under way.
        if (!quitting && (handler.LowBatteryCountdown() != kLowBatterySeconds ||
                          trace->low_battery != 0)) {
          std::abort();
        }
      }
      if ((c & 8) != 0) state.connected = 1;
    }
  }
  if (handler.LowBatteryCountdown() < -1) std::abort();
  return 0;
}
