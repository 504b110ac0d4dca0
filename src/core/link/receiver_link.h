#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// One way to reach the Receiver (serial, USB or a network page's socket). The link frames the
// command itself, since only it knows whether a check byte goes with it.
class ReceiverLink {
 public:
  virtual ~ReceiverLink() = default;
  // True when the link accepted the whole frame. A link that is not open fails.
  virtual bool Send(const uint8_t* command, size_t length) = 0;
  virtual void Close() = 0;
};

}  // namespace qv
