#include "core/link/serial_ports.h"

#include <cstdio>

namespace qv {

namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string BuildFriendlyName(const SerialPortFacts& facts) {
  std::string name = Trim(facts.description);
  const std::string manufacturer = Trim(facts.manufacturer);
  // Adapters often repeat the maker in the description; say it once.
  if (!manufacturer.empty() && name.find(manufacturer) == std::string::npos) {
    name = name.empty() ? manufacturer : name + ", " + manufacturer;
  }
  if (name.empty() && facts.has_vendor_id) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "USB device %04x:%04x", facts.vendor_id & 0xFFFFu,
                  facts.has_product_id ? facts.product_id & 0xFFFFu : 0u);
    name = ids;
  }
  if (name.empty() || facts.port_name.empty()) return name;
  return name + " (" + facts.port_name + ")";
}

std::string PortDescription(const std::string& friendly_name) {
  const size_t open = friendly_name.find(" (", 1);
  if (open != std::string::npos && friendly_name.back() == ')') {
    return friendly_name.substr(0, open);
  }
  return friendly_name;
}

SSerInfo MakeSerialInfo(const SerialPortFacts& facts) {
  SSerInfo info;
  info.device_path = facts.device_path;
  info.port_name = facts.port_name;
  info.friendly_name = BuildFriendlyName(facts);
  if (info.friendly_name.empty()) info.friendly_name = info.port_name;
  info.usb = facts.has_vendor_id;
  info.port_description = PortDescription(info.friendly_name);
  return info;
}

std::optional<size_t> DefaultSerialPortIndex(const std::vector<SSerInfo>& ports) {
  if (ports.empty()) return std::nullopt;
  return ports.size() - 1;
}

std::optional<std::string> TypedDevicePath(const std::string& text) {
  const std::string path = Trim(text);
  if (path.empty()) return std::nullopt;
  if (path.front() == '/') return path;
  if (path.find('/') != std::string::npos) return std::nullopt;
  return "/dev/" + path;
}

bool IsHardwareSerialDevice(const std::string& sys_path) {
  return !sys_path.empty() && sys_path.find("/devices/virtual/") == std::string::npos;
}

}  // namespace qv
