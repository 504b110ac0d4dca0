#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/link/command.h"
#include "core/link/network_setup.h"

namespace qv::sim {

using qv::kDiscoveryPort;
using qv::MacAddress;

inline constexpr MacAddress kDefaultMac = {0x00, 0x20, 0x4A, 0x91, 0x0B, 0x2D};
inline constexpr size_t kDiscoveryReplySize = 30;
inline constexpr size_t kAddressSetupSize = 20;

// True for the 4-byte query 00 00 00 F6 (longer datagrams with that head count too).
bool IsDiscoveryQuery(const uint8_t* data, size_t length);

// The reply of a network module: 00 00 00 F7, zeros, and the MAC address at bytes 24 … 29.
Bytes BuildDiscoveryReply(const MacAddress& mac);

// The new IPv4 address (host order, first number in the top byte) of an address set-up packet
// meant for `mac` (its bytes 5 and 6 match); nullopt for any other datagram.
std::optional<uint32_t> ParseAddressSetup(const uint8_t* data, size_t length,
                                          const MacAddress& mac);

// "00-20-4A-91-0B-2D" (or with colons); nullopt unless it is six two-digit hex numbers.
std::optional<MacAddress> ParseMac(const std::string& text);

}  // namespace qv::sim
