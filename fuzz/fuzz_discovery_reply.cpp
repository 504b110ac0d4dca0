#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/link/network_setup.h"

// Discovery replies come from anyone on the local network. The first byte splits the input:
// one part is a reply, the other the MAC text a user might type.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t split = size == 0 ? 0 : std::min<size_t>(data[0], size - 1);
  // Exact-size copies, so a read past the end is caught.
  std::vector<uint8_t> reply(data + (size == 0 ? 0 : 1), data + (size == 0 ? 0 : 1) + split);
  const auto mac = qv::ParseDiscoveryReply(reply.data(), reply.size());
  if (mac.has_value() != (reply.size() >= 30)) std::abort();
  if (mac && mac->size() != 17) std::abort();

  const size_t rest = size == 0 ? 0 : size - 1 - split;
  const std::string text(reinterpret_cast<const char*>(data) + size - rest, rest);
  const qv::ParsedMac parsed = qv::ParseMacText(text);
  if (parsed.numbers_found < 0 || parsed.numbers_found > 6) std::abort();
  if (qv::BuildAddressSetupPacket(parsed.mac, {10, 0, 0, 7}).size() != 20) std::abort();

  if (auto address = qv::ParseIpv4(text)) {
    // Leading zeros are accepted, so compare values rather than texts.
    if (qv::ParseIpv4(qv::FormatIpv4(*address)) != address) std::abort();
  }
  return 0;
}
