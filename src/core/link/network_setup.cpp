#include "core/link/network_setup.h"

#include <cstdio>

namespace qv {
namespace {

constexpr size_t kReplyMacOffset = 24;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void ShowNotPossible(Alerts& alerts, const std::string& text) {
  alerts.Show(text, kSetupNotPossibleCaption);
}

std::string WithDetail(std::string text, const std::string& detail) {
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

}  // namespace

Bytes BuildDiscoveryQuery() {
  return {0x00, 0x00, 0x00, 0xF6};
}

std::optional<std::string> ParseDiscoveryReply(const uint8_t* reply, size_t length) {
  if (reply == nullptr || length < kReplyMacOffset + 6) return std::nullopt;
  MacAddress mac;
  for (size_t i = 0; i < mac.size(); ++i) mac[i] = reply[kReplyMacOffset + i];
  return FormatMacAddress(mac);
}

std::string FormatMacAddress(const MacAddress& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

std::string BroadcastAddressText(const Ipv4Address& host) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.255", host[0], host[1], host[2]);
  return text;
}

std::string FormatIpv4(const Ipv4Address& address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
  return text;
}

std::optional<Ipv4Address> ParseIpv4(std::string_view text) {
  Ipv4Address address{};
  size_t at = 0;
  for (size_t part = 0; part < 4; ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.') return std::nullopt;
      ++at;
    }
    unsigned value = 0;
    size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
    address[part] = static_cast<uint8_t>(value);
  }
  if (at != text.size()) return std::nullopt;
  return address;
}

ParsedMac ParseMacText(std::string_view text) {
  ParsedMac parsed;
  size_t at = 0;
  for (uint8_t& byte : parsed.mac) {
    unsigned value = 0;  // only the low byte matters, so overflow never builds up
    bool any_digit = false;
    while (at < text.size() && HexValue(text[at]) >= 0) {
      value = ((value << 4) | static_cast<unsigned>(HexValue(text[at]))) & 0xFF;
      any_digit = true;
      ++at;
    }
    byte = static_cast<uint8_t>(value);
    if (any_digit) ++parsed.numbers_found;
    if (at < text.size()) ++at;  // the separator, whatever it is
  }
  return parsed;
}

Bytes BuildAddressSetupPacket(const MacAddress& mac, const Ipv4Address& address) {
  Bytes packet = {0x00, 0x00, 0x00, 0xFC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0x00, 0x00};
  packet.push_back(mac[4]);
  packet.push_back(mac[5]);
  packet.insert(packet.end(), address.begin(), address.end());
  return packet;
}

bool RunAddressSetup(AddressSetupHost& host, Alerts& alerts, std::string_view mac_text,
                     const Ipv4Address& address) {
  const ParsedMac parsed = ParseMacText(mac_text);
  if (parsed.numbers_found < 6) {
    // A partial MAC would put a wrong static ARP entry in place; treat it as bad input.
    alerts.Show(kSetupFailedText, kSetupFailedCaption);
    return false;
  }
  const std::string address_text = FormatIpv4(address);

  int interface_index = 0;
  AddressSetupHost::Status status = host.RouteInterface(address, interface_index);
  if (!status.ok()) {
    ShowNotPossible(alerts, WithDetail("No network interface has a route to " + address_text +
                                           ", so the IP address cannot be set.",
                                       status.detail));
    return false;
  }
  Ipv4Address broadcast{};
  status = host.InterfaceBroadcast(interface_index, address, broadcast);
  if (!status.ok()) {
    ShowNotPossible(alerts, WithDetail("The network interface toward " + address_text +
                                           " has no IPv4 broadcast address, so the IP address "
                                           "cannot be set.",
                                       status.detail));
    return false;
  }
  status = host.AddStaticArp(interface_index, address, parsed.mac);
  if (status.code == AddressSetupHost::Status::kNotPermitted) {
    ShowNotPossible(alerts,
                    "Setting the IP address needs the CAP_NET_ADMIN capability, which this "
                    "program does not have: it must add a static ARP entry for " +
                        address_text +
                        ". Run it as root or grant it CAP_NET_ADMIN, then try again. Nothing "
                        "has been changed.");
    return false;
  }
  if (!status.ok()) {
    ShowNotPossible(alerts, WithDetail("The static ARP entry for " + address_text +
                                           " could not be added, so the IP address cannot be set.",
                                       status.detail));
    return false;
  }

  const bool sent =
      host.SendDatagram(broadcast, kDiscoveryPort, BuildAddressSetupPacket(parsed.mac, address));
  // The entry only serves the set-up packet; leaving it behind after a failed send would pin a
  // possibly wrong MAC to that address.
  host.DeleteStaticArp(interface_index, address);
  if (!sent) {
    alerts.Show(kSetupFailedText, kSetupFailedCaption);
    return false;
  }
  alerts.Show(kSetupDoneText, kSetupDoneCaption);
  return true;
}

}  // namespace qv
