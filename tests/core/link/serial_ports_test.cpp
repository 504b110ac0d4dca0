#include "core/link/serial_ports.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

SSerInfo Port(const std::string& path) {
  SerialPortFacts facts;
  facts.device_path = path;
  facts.port_name = path.substr(path.rfind('/') + 1);
  return MakeSerialInfo(facts);
}

TEST(SerialPortsTest, DescriptionDropsTrailingPortNameOnly) {
  EXPECT_EQ(PortDescription("USB Serial Port (COM3)"), "USB Serial Port");
  // Cut at the first " (", so a description with parentheses of its own keeps none of them.
  EXPECT_EQ(PortDescription("CF Card (rev 2) (ttyS4)"), "CF Card");
  // Not at the very start, and only when the name ends with ")".
  EXPECT_EQ(PortDescription(" (ttyS0)"), " (ttyS0)");
  EXPECT_EQ(PortDescription("Modem (ttyS0) spare"), "Modem (ttyS0) spare");
  EXPECT_EQ(PortDescription("ttyS0"), "ttyS0");
  EXPECT_EQ(PortDescription(""), "");
}

TEST(SerialPortsTest, FriendlyNameFromWhatTheSystemReports) {
  SerialPortFacts facts;
  facts.device_path = "/dev/ttyUSB0";
  facts.port_name = "ttyUSB0";
  facts.description = "FT232R USB UART";
  facts.manufacturer = "FTDI";
  facts.has_vendor_id = true;
  facts.vendor_id = 0x0403;
  SSerInfo info = MakeSerialInfo(facts);
  EXPECT_EQ(info.friendly_name, "FT232R USB UART, FTDI (ttyUSB0)");
  EXPECT_EQ(info.port_description, "FT232R USB UART, FTDI");
  EXPECT_TRUE(info.usb);
  EXPECT_EQ(info.device_path, "/dev/ttyUSB0");

  // A maker already named in the description is not repeated.
  facts.description = "FTDI FT232R";
  EXPECT_EQ(MakeSerialInfo(facts).friendly_name, "FTDI FT232R (ttyUSB0)");

  // Only the ids known.
  facts.description.clear();
  facts.manufacturer.clear();
  facts.has_product_id = true;
  facts.product_id = 0x6001;
  EXPECT_EQ(MakeSerialInfo(facts).friendly_name, "USB device 0403:6001 (ttyUSB0)");
}

TEST(SerialPortsTest, PortWithoutAnyTextIsShownByItsName) {
  SSerInfo info = Port("/dev/ttyS0");
  EXPECT_EQ(info.friendly_name, "ttyS0");
  EXPECT_EQ(info.port_description, "ttyS0");
  EXPECT_FALSE(info.usb);
}

TEST(SerialPortsTest, DefaultIsTheLastPortFound) {
  EXPECT_FALSE(DefaultSerialPortIndex({}).has_value());
  std::vector<SSerInfo> ports = {Port("/dev/ttyS0"), Port("/dev/ttyUSB0")};
  ASSERT_EQ(DefaultSerialPortIndex(ports), 1u);
  EXPECT_EQ(ports[*DefaultSerialPortIndex(ports)].device_path, "/dev/ttyUSB0");
}

TEST(SerialPortsTest, TypedDevicePaths) {
  EXPECT_EQ(TypedDevicePath("  /dev/pts/3 \n"), "/dev/pts/3");
  EXPECT_EQ(TypedDevicePath("ttyUSB1"), "/dev/ttyUSB1");
  EXPECT_EQ(TypedDevicePath("/tmp/receiver-link"), "/tmp/receiver-link");
  EXPECT_FALSE(TypedDevicePath("").has_value());
  EXPECT_FALSE(TypedDevicePath("   ").has_value());
  EXPECT_FALSE(TypedDevicePath("pts/3").has_value());
}

TEST(SerialPortsTest, OnlyHardwareTtysCount) {
  EXPECT_TRUE(IsHardwareSerialDevice(
      "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0"));
  EXPECT_TRUE(IsHardwareSerialDevice("/sys/devices/platform/serial8250/tty/ttyS1"));
  EXPECT_FALSE(IsHardwareSerialDevice("/sys/devices/virtual/tty/tty3"));
  EXPECT_FALSE(IsHardwareSerialDevice(""));
}

}  // namespace
}  // namespace qv
