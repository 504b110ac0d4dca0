#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The Receiver's own USB vendor id and its two products; the names the USB page shows for them.
inline constexpr uint16_t kZtkVendorId = 0x09D6;
inline constexpr uint16_t kTriskadeonProductId = 0x0500;
inline constexpr uint16_t kFarnobellProductId = 0x0300;
inline constexpr const char* kNotAvailable = "Not Available";

// Device ids as the driver reports them: vendor id in the upper 16 bits, product id below.
inline constexpr uint32_t UsbDeviceId(uint16_t vendor, uint16_t product) {
  return (static_cast<uint32_t>(vendor) << 16) | product;
}

// "ZTK, Inc" for the Receiver's vendor id, else "Not Available".
std::string UsbVendorName(uint32_t device_id);
// "TRISKADEON" or "FARNOBELL" by product id (whatever the vendor), else "Not Available".
std::string UsbProductName(uint32_t device_id);

// The converter's baud-rate divisor: its 3 MHz base clock over the rate, rounded, kept to
// 16 bits. A rate of 0 gives 78 rather than a division by zero.
uint16_t UsbBaudDivisor(uint32_t baud_rate);

// What a read of the converter answers when it is not there any more: libftdi's "USB device
// unavailable" and libusb's "no such device".
inline constexpr int kUsbDeviceUnavailable = -666;
inline constexpr int kUsbErrorNoDevice = -4;
// Failed reads in a row after which the converter counts as gone whatever they said.
inline constexpr int kUsbFailedReadsBeforeGone = 20;

// Whether the converter was unplugged, from a read's result (bytes read, or a negative libftdi
// or libusb code) and the failed reads in a row, this one included. "No device" counts at
// once; any other failure (a pulled cable often gives an I/O error first, but so does a passing
// glitch) only when it goes on.
bool UsbReadMeansGone(int result, int failed_in_row);

}  // namespace qv
