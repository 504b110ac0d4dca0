#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/alerts.h"
#include "core/link/command.h"

namespace qv {

// Ports of the Receiver's network module: the link itself, and discovery plus address set-up.
inline constexpr uint16_t kReceiverTcpPort = 10001;
inline constexpr uint16_t kDiscoveryPort = 30718;
// Longest discovery reply we read; anything beyond is cut off.
inline constexpr size_t kDiscoveryReplyMaxLength = 1024;

using MacAddress = std::array<uint8_t, 6>;
// An IPv4 address, first number first (network order).
using Ipv4Address = std::array<uint8_t, 4>;

// Message texts and captions of the Static IP page's "Set IP address".
inline constexpr char kSetupFailedText[] =
    "Incorrect MAC address OR IP address entered, Please re-enter Correct Information";
inline constexpr char kSetupFailedCaption[] = "FARNOBELL: Invalid Information Alert !";
inline constexpr char kSetupDoneText[] = "IP Address has been Set, Click OK to Continue";
inline constexpr char kSetupDoneCaption[] = "IP Address Set";
// Our own caption for set-ups that could not even start (no permission, no route).
inline constexpr char kSetupNotPossibleCaption[] = "IP Address Not Set";

// The 4-byte query every module on the local network answers.
Bytes BuildDiscoveryQuery();

// "00-20-4A-91-0B-2D" from reply bytes 24 … 29; nullopt for a reply too short to hold them.
std::optional<std::string> ParseDiscoveryReply(const uint8_t* reply, size_t length);

std::string FormatMacAddress(const MacAddress& mac);

// "a.b.c.255": the discovery target for a host at a.b.c.d.
std::string BroadcastAddressText(const Ipv4Address& host);

std::string FormatIpv4(const Ipv4Address& address);

// Strict dotted quad "a.b.c.d", each 0 … 255; nullopt otherwise.
std::optional<Ipv4Address> ParseIpv4(std::string_view text);

struct ParsedMac {
  MacAddress mac{};
  // How many of the six numbers had at least one hex digit; a number without digits is 0.
  int numbers_found = 0;
};

// Six hex numbers, each ending at the first non-hex character, with exactly one character
// skipped after each; only the low byte of each number is kept. Text that ends early leaves
// the remaining numbers 0.
ParsedMac ParseMacText(std::string_view text);

// The 20-byte packet that gives the module with this MAC (its last two bytes) a new address.
Bytes BuildAddressSetupPacket(const MacAddress& mac, const Ipv4Address& address);

// What the address set-up needs from the operating system: route and address tables, the
// neighbour (ARP) table and a datagram send.
class AddressSetupHost {
 public:
  struct Status {
    enum Code { kOk, kNotPermitted, kFailed };
    Code code = kOk;
    std::string detail;  // why it failed, for the user
    bool ok() const { return code == kOk; }
  };

  virtual ~AddressSetupHost() = default;
  // Index of the interface that the best route to `address` leaves through.
  virtual Status RouteInterface(const Ipv4Address& address, int& interface_index) = 0;
  // Broadcast address of that interface (its address OR NOT its netmask).
  virtual Status InterfaceBroadcast(int interface_index, const Ipv4Address& toward,
                                    Ipv4Address& broadcast) = 0;
  virtual Status AddStaticArp(int interface_index, const Ipv4Address& address,
                              const MacAddress& mac) = 0;
  virtual Status DeleteStaticArp(int interface_index, const Ipv4Address& address) = 0;
  virtual bool SendDatagram(const Ipv4Address& to, uint16_t port, const Bytes& packet) = 0;
};

// Gives the module with `mac_text` the address `address`: static ARP entry on the interface
// toward it, the set-up packet to that interface's broadcast address, then the ARP entry is
// removed again, also when the send failed. Every outcome is shown through `alerts`. Returns
// true when the packet went out.
bool RunAddressSetup(AddressSetupHost& host, Alerts& alerts, std::string_view mac_text,
                     const Ipv4Address& address);

}  // namespace qv
