#pragma once

#include <algorithm>
#include <cstdint>

#include "core/display/colour.h"

namespace qv {

inline constexpr int kTraceColourSliderMax = 272;
inline constexpr int kTraceColourSliderDefault = 136;

// Live trace colour for the trace colour slider: below the middle the green is paled with equal
// red and blue, above it the green darkens.
constexpr Colour LiveTraceColour(int position) {
  const int p = std::clamp(position, 0, kTraceColourSliderMax);
  if (p <= kTraceColourSliderDefault) {
    const auto pale = static_cast<uint8_t>(kTraceColourSliderDefault - p);
    return Rgb(pale, 255, pale);
  }
  return Rgb(0, static_cast<uint8_t>(391 - p), 0);
}

}  // namespace qv
