#pragma once

#include <algorithm>
#include <cstdint>

namespace qv {

// The Receiver measures in 1/16 dBm; readings keep that precision, whole dBm is rounded.
inline constexpr int32_t kSixteenthsPerDb = 16;

// The nearest whole dBm, halves away from zero (-8 -> -1, -24 -> -2, -1677 -> -105). A shift
// rather than a division, so the per-point loops stay vectorised.
inline int16_t RoundedLevel(int32_t sixteenths) {
  return static_cast<int16_t>((sixteenths + 8 - (sixteenths < 0 ? 1 : 0)) >> 4);
}

// Whole dBm in sixteenths, held to what a 16-bit sample can carry.
inline int16_t SixteenthsOfLevel(int32_t level) {
  return static_cast<int16_t>(std::clamp<int32_t>(level, -2048, 2047) * kSixteenthsPerDb);
}

// A reading in dBm; exact in a float.
inline float DbmOfSixteenths(int32_t sixteenths) {
  return static_cast<float>(sixteenths) / kSixteenthsPerDb;
}

}  // namespace qv
