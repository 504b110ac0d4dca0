#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

// Messages a link's worker thread de-framed from one read, all of one link session.
struct MessageBatch {
  uint64_t session = 0;
  std::vector<QByteArray> messages;
};

// Gathers the messages of one read on a worker thread so that they cross to the GUI thread in
// one hand-over instead of one each: a fast Receiver delivers dozens per read.
class MessageBatcher {
 public:
  explicit MessageBatcher(std::function<void(MessageBatch)> hand_over)
      : hand_over_(std::move(hand_over)) {}

  // A message of link session `session`. A batch holds one session's messages, so news of a
  // new session hands the old ones over first (they are then dropped as stale).
  void Add(uint64_t session, const uint8_t* data, size_t length) {
    if (!batch_.messages.empty() && batch_.session != session) Flush();
    batch_.session = session;
    batch_.messages.emplace_back(reinterpret_cast<const char*>(data),
                                 static_cast<qsizetype>(length));
  }

  // The end of a read: hands over whatever was gathered.
  void Flush() {
    if (batch_.messages.empty()) return;
    MessageBatch full;
    full.session = batch_.session;
    full.messages.swap(batch_.messages);
    hand_over_(std::move(full));
  }

 private:
  std::function<void(MessageBatch)> hand_over_;
  MessageBatch batch_;
};

}  // namespace qv
