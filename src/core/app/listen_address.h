#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Where the metrics or the remote control are served. The host is a plain address: IPv6 without its brackets.
struct ListenAddress {
  std::string host = "127.0.0.1";
  uint16_t port = 0;  // 0: any free port

  friend bool operator==(const ListenAddress&, const ListenAddress&) = default;
};

// "[ADDR:]PORT": "9101", "127.0.0.1:9101", "0.0.0.0:9101", "[::1]:9101", "*:9101" (all
// addresses, as "0.0.0.0"), "localhost:9101"; port 0 ... 65535. A bare port listens on 127.0.0.1.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

}  // namespace qv
