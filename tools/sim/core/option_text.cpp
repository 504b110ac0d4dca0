#include "sim/core/option_text.h"

#include <cstdlib>

namespace qv::sim {

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (end == nullptr || *end != '\0' || value > max) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::optional<std::vector<BandRange>> ParseBands(const std::string& text) {
  std::vector<BandRange> bands;
  size_t from = 0;
  while (from <= text.size()) {
    size_t comma = text.find(',', from);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(from, comma - from);
    size_t dash = item.find('-');
    if (dash == std::string::npos) return std::nullopt;
    auto start = ParseNumber(item.substr(0, dash), UINT32_MAX);
    auto stop = ParseNumber(item.substr(dash + 1), UINT32_MAX);
    if (!start || !stop || *start >= *stop) return std::nullopt;
    bands.push_back({*start, *stop});
    from = comma + 1;
  }
  if (bands.empty() || bands.size() > 255) return std::nullopt;
  return bands;
}

}  // namespace qv::sim
