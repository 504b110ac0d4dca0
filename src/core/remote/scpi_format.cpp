#include "core/remote/scpi_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace qv {

std::string FormatScpiNumber(double value) {
  if (std::isnan(value)) return "9.91e+37";
  if (std::isinf(value)) return value > 0 ? "9.9e+37" : "-9.9e+37";
  if (value == 0) return "0";  // not "-0"
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

template <typename T>
std::string FormatList(std::span<const T> values) {
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ',';
    text += FormatScpiNumber(static_cast<double>(values[i]));
  }
  return text;
}

}  // namespace

std::string FormatScpiList(std::span<const double> values) { return FormatList(values); }
std::string FormatScpiList(std::span<const float> values) { return FormatList(values); }

std::string FormatScpiFloatBlock(std::span<const float> values, ScpiByteOrder order) {
  if (values.size() > kScpiMaxBlockFloats) return {};
  const std::string length = std::to_string(values.size() * 4);
  std::string block = "#" + std::to_string(length.size()) + length;
  block.reserve(block.size() + values.size() * 4);
  for (const float value : values) {
    const auto bits = std::bit_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
      const int shift = order == ScpiByteOrder::kNormal ? 24 - 8 * i : 8 * i;
      block += static_cast<char>((bits >> shift) & 0xff);
    }
  }
  return block;
}

std::string QuoteScpiString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') {
      quoted += "\"\"";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      quoted += ' ';
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

}  // namespace qv
