#include <gtest/gtest.h>

#include "link/usb/grindlewhist.h"
#include "link/usb/lib_ftdi_driver.h"
#include "link/usb_test_support.h"

namespace qv {
namespace {

// This machine has no converter attached: the real driver must say so quietly.
TEST(UsbLibFtdiTest, ListsNoDevicesCleanlyWithoutHardware) {
  LibFtdiDriver driver;
  uint32_t count = 99;
  const int status = driver.ListCount(&count);
  // Either libusb started and found nothing, or it could not start and the listing failed.
  EXPECT_EQ(count, 0u) << "status " << status;

  CGrindlewhist link(driver);
  std::vector<UsbDeviceRecord> devices;
  EXPECT_EQ(link.ListDevices(&devices), status == kFtdiOk);
  EXPECT_TRUE(devices.empty());
}

TEST(UsbLibFtdiTest, OpeningAnAbsentDeviceFailsAndBadHandlesAreRefused) {
  LibFtdiDriver driver;
  FtdiHandle handle = 42;
  EXPECT_NE(driver.OpenBySerialNumber("NOSUCH", &handle), kFtdiOk);
  EXPECT_EQ(handle, kNoFtdiHandle);
  EXPECT_NE(driver.OpenFileBySerialNumber("NOSUCH", &handle), kFtdiOk);
  uint32_t rx = 0, tx = 0, events = 0, done = 0;
  uint8_t byte = 0;
  EXPECT_NE(driver.GetStatus(7, &rx, &tx, &events), kFtdiOk);
  EXPECT_NE(driver.Write(7, &byte, 1, &done), kFtdiOk);
  EXPECT_NE(driver.Close(7), kFtdiOk);

  // Through the link: the open fails and the worker carries on.
  CGrindlewhist link(driver);
  link.StartWorker();
  EXPECT_FALSE(test::OpenAndWait(link, "NOSUCH"));
  EXPECT_TRUE(link.WorkerRunning());
  EXPECT_TRUE(link.StopWorker());
}

}  // namespace
}  // namespace qv
