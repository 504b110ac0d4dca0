#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qv {

// The shortest text that reads back as the same double, e.g. 2.4e+09, -42.5, 1000; no locale.
// Not-a-number and infinities as SCPI writes them: 9.91e+37, 9.9e+37, -9.9e+37.
std::string FormatScpiNumber(double value);

// ASCII data: numbers separated by commas.
std::string FormatScpiList(std::span<const double> values);
std::string FormatScpiList(std::span<const float> values);

enum class ScpiByteOrder { kNormal, kSwapped };  // big- and little-endian

// The largest block a header's nine length digits can announce, in floats.
inline constexpr size_t kScpiMaxBlockFloats = 999'999'999 / 4;

// A definite-length block #<n><length><bytes> of IEEE-754 float32. Empty when more values are
// given than kScpiMaxBlockFloats.
std::string FormatScpiFloatBlock(std::span<const float> values, ScpiByteOrder order);

// A string in double quotes, quotes inside doubled. Line breaks and other control characters
// become spaces so the answer stays one line.
std::string QuoteScpiString(std::string_view text);

}  // namespace qv
