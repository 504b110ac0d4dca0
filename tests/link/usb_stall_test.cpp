#include <gtest/gtest.h>

#include "core/link/command.h"
#include "link/usb/grindlewhist.h"
#include "link/usb_test_support.h"

namespace qv {
namespace {

// A request the worker does not answer in time fails; its late answer must not be taken for the
// next request's, and the worker still ends when the link goes away.
TEST(UsbStallTest, UnansweredRequestsFailWithoutMixingUpLaterAnswers) {
  test::StallingFtdiDriver driver;
  driver.AddDevice({"RX0500", "Quorvalin Receiver", 0x09D6, 0x0500});
  const Bytes first = BuildRequestFirmware();
  const Bytes second = BuildRequestSerial();
  {
    CGrindlewhist link(driver);
    link.StartWorker();
    ASSERT_TRUE(test::OpenAndWait(link, "RX0500"));

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
