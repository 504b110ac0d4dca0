#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qv {

// One serial port found on the machine.
struct SSerInfo {
  std::string device_path;       // what to open, e.g. /dev/ttyUSB0
  std::string port_name;         // e.g. ttyUSB0
  std::string friendly_name;     // what the user sees
  bool usb = false;              // provided through a USB adapter
  std::string port_description;  // the friendly name without the port name in parentheses
};

// What the system reports about a port; any of the texts may be empty.
struct SerialPortFacts {
  std::string device_path;
  std::string port_name;
  std::string description;
  std::string manufacturer;
  bool has_vendor_id = false;
  unsigned vendor_id = 0;
  bool has_product_id = false;
  unsigned product_id = 0;
};

// "description, manufacturer (port)", or "USB device vvvv:pppp (port)" when only the ids are
// known; empty when the system reports nothing, so that the port name is used instead.
std::string BuildFriendlyName(const SerialPortFacts& facts);

// The friendly name cut before its " (" when one follows the first character and the name
// ends with ")"; otherwise the whole name.
std::string PortDescription(const std::string& friendly_name);

// A complete record: an empty friendly name becomes the port name, and the description is
// derived from the friendly name.
SSerInfo MakeSerialInfo(const SerialPortFacts& facts);

// The port used when the user picks none: the last one found (none when the list is empty).
std::optional<size_t> DefaultSerialPortIndex(const std::vector<SSerInfo>& ports);

// A device path the user typed: surrounding blanks removed, a bare name such as "ttyUSB0"
// taken from /dev. Empty text and relative paths with a folder are refused.
std::optional<std::string> TypedDevicePath(const std::string& text);

// Whether a tty device announced by the system is hardware (a UART, a USB or CF adapter) rather
// than a virtual console or pseudo-terminal, judged by its path under /sys.
bool IsHardwareSerialDevice(const std::string& sys_path);

}  // namespace qv
