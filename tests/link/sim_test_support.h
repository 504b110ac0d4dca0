#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/link/sweep_message.h"
#include "link/net_test_support.h"

namespace qv::test {

// What the links hand on from the simulated Receiver, as its end-to-end tests read it.

inline uint8_t MessageType(const QByteArray& message) {
  return static_cast<uint8_t>(message[0]);
}

inline std::optional<SweepHeader> SweepHeaderOf(const QByteArray& message) {
  return ParseSweepHeader(reinterpret_cast<const uint8_t*>(message.constData()),
                          static_cast<size_t>(message.size()));
}

// Runs the event loop until the sweep blocks among `messages` carry `points` points. A block
// without a readable header ends the wait too, so that the test's own checks report it.
inline bool WaitForSweepPoints(const std::vector<QByteArray>& messages, uint32_t points) {
  return WaitUntil([&] {
    uint32_t got = 0;
    for (const QByteArray& message : messages) {
      if (MessageType(message) != kMsgSweep) continue;
      const std::optional<SweepHeader> header = SweepHeaderOf(message);
      if (!header) return true;
      got += header->block_count;
    }
    return got >= points;
  });
}

}  // namespace qv::test
