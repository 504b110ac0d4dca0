#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/link/command.h"
#include "link/usb/fake_ftdi_driver.h"
#include "link/usb/grindlewhist.h"

namespace qv {
namespace {

// A driver whose writes hang until the test lets them go, like a converter that stopped
// answering.
class StallingDriver : public FakeFtdiDriver {
 public:
  int Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length, uint32_t* written) override {
    {
      std::unique_lock lock(mutex_);
      if (stall_) {
        released_.wait(lock, [&] { return !stall_; });
      }
    }
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

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool stall_ = false;
};

// A request the worker does not answer in time fails; its late answer must not be taken for the
// next request's, and the worker still ends when the link goes away.
TEST(UsbStallTest, UnansweredRequestsFailWithoutMixingUpLaterAnswers) {
  StallingDriver driver;
  driver.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  const Bytes first = BuildRequestFirmware();
  const Bytes second = BuildRequestSerial();
  {
    CGrindlewhist link(driver);
    link.StartWorker();
    ASSERT_TRUE(link.Open("RX0500", CUSB::kReceiverBaudRate));

    driver.Stall();
    EXPECT_FALSE(link.Send(first.data(), first.size()));
    // The worker is still stuck in the first write: it cannot take the exit request either.
    EXPECT_FALSE(link.StopWorker());
    driver.Release();
    // The first write completes late; the next request gets its own answer.
    EXPECT_TRUE(link.Send(second.data(), second.size()));
    EXPECT_EQ(driver.Written("RX0500").size(), 2 * 5u);  // 11 12 op 11 13, twice
  }
  // The link's destruction ended the worker and closed the device.
  EXPECT_EQ(driver.OpenHandles(), 0);
}

}  // namespace
}  // namespace qv
