#include "core/link/usb_rules.h"

namespace qv {

std::string UsbVendorName(uint32_t device_id) {
  return (device_id >> 16) == kZtkVendorId ? "ZTK, Inc" : kNotAvailable;
}

std::string UsbProductName(uint32_t device_id) {
  switch (device_id & 0xFFFF) {
    case kFarnobellProductId:
      return "FARNOBELL";
    case kTriskadeonProductId:
      return "TRISKADEON";
    default:
      return kNotAvailable;
  }
}

uint16_t UsbBaudDivisor(uint32_t baud_rate) {
  if (baud_rate == 0) return 78;
  const double divisor = 3000000.0 / baud_rate + 0.5;
  return static_cast<uint16_t>(static_cast<uint32_t>(divisor) & 0xFFFF);
}

bool UsbReadMeansGone(int result, int failed_in_row) {
  if (result >= 0) return false;
  return result == kUsbDeviceUnavailable || result == kUsbErrorNoDevice ||
         failed_in_row >= kUsbFailedReadsBeforeGone;
}

}  // namespace qv
