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

}  // namespace qv
