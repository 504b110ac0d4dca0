#include "core/link/usb_rules.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(UsbRulesTest, NamesComeFromVendorAndProductHalvesOfTheId) {
  EXPECT_EQ(UsbVendorName(0x09D60500), "ZTK, Inc");
  EXPECT_EQ(UsbVendorName(0x09D60000), "ZTK, Inc");
  EXPECT_EQ(UsbVendorName(0x04036001), "Not Available");
  // The vendor id must not leak into the product test, nor the product into the vendor test.
  EXPECT_EQ(UsbVendorName(0x000009D6), "Not Available");
  EXPECT_EQ(UsbProductName(0x09D60500), "TRISKADEON");
  EXPECT_EQ(UsbProductName(0x09D60300), "FARNOBELL");
  EXPECT_EQ(UsbProductName(0x04030500), "TRISKADEON");
  EXPECT_EQ(UsbProductName(0x05000000), "Not Available");
  EXPECT_EQ(UsbProductName(0x04036001), "Not Available");
}

TEST(UsbRulesTest, BaudDivisorRoundsTheBaseClockOverTheRate) {
  EXPECT_EQ(UsbBaudDivisor(115200), 26);
  EXPECT_EQ(UsbBaudDivisor(0), 78);
  EXPECT_EQ(UsbBaudDivisor(9600), 313);   // 312.5 rounds up
  EXPECT_EQ(UsbBaudDivisor(2000000), 2);  // 1.5 rounds up
  EXPECT_EQ(UsbBaudDivisor(3000000), 1);
  EXPECT_EQ(UsbBaudDivisor(1), 50880);  // 3000000 kept to 16 bits
  EXPECT_EQ(UsbBaudDivisor(0xFFFFFFFF), 0);
}

// A pulled cable: "no device" counts at once, any other failure only when it goes on.
TEST(UsbRulesTest, ReadMeansGoneOnNoDeviceOrFailuresThatGoOn) {
  EXPECT_FALSE(UsbReadMeansGone(0, 0));
  EXPECT_FALSE(UsbReadMeansGone(62, 0));
  EXPECT_TRUE(UsbReadMeansGone(-666, 1));
  EXPECT_TRUE(UsbReadMeansGone(-4, 1));
  EXPECT_FALSE(UsbReadMeansGone(-1, 1));  // one I/O error passes
  EXPECT_FALSE(UsbReadMeansGone(-7, kUsbFailedReadsBeforeGone - 1));
  EXPECT_TRUE(UsbReadMeansGone(-1, kUsbFailedReadsBeforeGone));
}

}  // namespace
}  // namespace qv
