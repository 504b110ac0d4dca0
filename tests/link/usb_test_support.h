#pragma once

#include <QByteArray>
#include <QObject>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/net_test_support.h"
#include "link/usb/fake_ftdi_driver.h"
#include "link/usb/grindlewhist.h"

namespace qv::test {

// Collects the link's messages on the GUI thread, where the program's receiver lives.
class UsbMessageSink {
 public:
  explicit UsbMessageSink(CGrindlewhist& link) {
    QObject::connect(&link, &CGrindlewhist::MessageReceived, &context_,
                     [this](const QByteArray& message) { messages.push_back(message); });
  }

  std::vector<QByteArray> messages;

 private:
  QObject context_;
};

// Opens the device and runs the event loop until the worker has answered (bounded).
inline bool OpenAndWait(CGrindlewhist& link, const std::string& serial) {
  auto opened = std::make_shared<std::optional<bool>>();
  link.Open(serial, CUSB::kReceiverBaudRate, [opened](bool ok) { *opened = ok; });
  return WaitUntil([&] { return opened->has_value(); }) && **opened;
}

// A driver whose opens and writes hang while the test stalls it, like a converter that stopped
// answering.
class StallingFtdiDriver : public FakeFtdiDriver {
 public:
  int OpenBySerialNumber(const std::string& serial, FtdiHandle* handle) override {
    WaitWhileStalled();
    return FakeFtdiDriver::OpenBySerialNumber(serial, handle);
  }
  int Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length, uint32_t* written) override {
    WaitWhileStalled();
    return FakeFtdiDriver::Write(handle, buffer, length, written);
  }

  void Stall() {
    std::lock_guard lock(mutex_);
    stall_ = true;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      stall_ = false;
    }
    released_.notify_all();
  }
  // Calls held in the stall right now.
  int Held() {
    std::lock_guard lock(mutex_);
    return held_;
  }

 private:
  void WaitWhileStalled() {
    std::unique_lock lock(mutex_);
    ++held_;
    released_.wait(lock, [&] { return !stall_; });
    --held_;
  }

  std::mutex mutex_;
  std::condition_variable released_;
  bool stall_ = false;
  int held_ = 0;
};

inline const uint8_t* Data(const QByteArray& bytes) {
  return reinterpret_cast<const uint8_t*>(bytes.constData());
}

inline std::vector<uint8_t> ToVector(const QByteArray& bytes) {
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace qv::test
