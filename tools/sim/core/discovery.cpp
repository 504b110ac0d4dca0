#include "sim/core/discovery.h"

#include <cstring>

namespace qv::sim {
namespace {

constexpr uint8_t kReplyHead[4] = {0x00, 0x00, 0x00, 0xF7};
constexpr uint8_t kSetupHead[4] = {0x00, 0x00, 0x00, 0xFC};
constexpr char kSetupTag[] = "IP-SETUP";
constexpr size_t kMacOffset = 24;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool IsDiscoveryQuery(const uint8_t* data, size_t length) {
  static const Bytes query = BuildDiscoveryQuery();
  return data != nullptr && length >= query.size() &&
         std::memcmp(data, query.data(), query.size()) == 0;
}

Bytes BuildDiscoveryReply(const MacAddress& mac) {
  Bytes reply(kDiscoveryReplySize, 0);
  std::memcpy(reply.data(), kReplyHead, 4);
  std::memcpy(reply.data() + kMacOffset, mac.data(), mac.size());
  return reply;
}

std::optional<uint32_t> ParseAddressSetup(const uint8_t* data, size_t length,
                                          const MacAddress& mac) {
  if (data == nullptr || length < kAddressSetupSize) return std::nullopt;
  if (std::memcmp(data, kSetupHead, 4) != 0 || std::memcmp(data + 4, kSetupTag, 8) != 0) {
    return std::nullopt;
  }
  if (data[14] != mac[4] || data[15] != mac[5]) return std::nullopt;
  return (static_cast<uint32_t>(data[16]) << 24) | (static_cast<uint32_t>(data[17]) << 16) |
         (static_cast<uint32_t>(data[18]) << 8) | data[19];
}

std::optional<MacAddress> ParseMac(const std::string& text) {
  // Stricter than what the program accepts from its users: an option typo should stop the
  // simulator, not give it another address.
  if (text.size() != 17) return std::nullopt;
  MacAddress mac{};
  for (size_t i = 0; i < 6; ++i) {
    const int hi = HexValue(text[3 * i]);
    const int lo = HexValue(text[3 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    if (i < 5 && text[3 * i + 2] != '-' && text[3 * i + 2] != ':') return std::nullopt;
    mac[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return mac;
}

}  // namespace qv::sim
