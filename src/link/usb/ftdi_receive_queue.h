#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "link/usb/ftdi_driver.h"

namespace qv {

// What a driver keeps per open device: the bytes received and not yet read, and the event to
// signal as they come. Not locked; the driver guards it.
struct FtdiReceiveQueue {
  std::vector<uint8_t> bytes;
  FtdiEvent* event = nullptr;

  void Append(const uint8_t* data, size_t length) {
    if (length == 0) return;
    bytes.insert(bytes.end(), data, data + length);
    if (event != nullptr) event->Signal();
  }

  // Notification switched on with bytes already waiting signals at once, or they would wait
  // for the next arrival.
  void SetNotification(uint32_t mask, FtdiEvent* wanted) {
    event = (mask & kFtdiEventRxChar) != 0 ? wanted : nullptr;
    if (event != nullptr && !bytes.empty()) event->Signal();
  }

  // Moves up to `count` of the oldest bytes to `buffer`; returns how many.
  uint32_t Take(uint8_t* buffer, uint32_t count) {
    const size_t n = std::min<size_t>(count, bytes.size());
    std::memcpy(buffer, bytes.data(), n);
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<uint32_t>(n);
  }
};

}  // namespace qv
