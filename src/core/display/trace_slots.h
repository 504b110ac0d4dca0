#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "core/display/colour.h"

namespace qv {

inline constexpr int32_t kMaxPoints = 15000;
inline constexpr int kTraceSlots = 4;

// A copy of the live trace. While frozen is 0 it follows the live trace point by point.
struct FrozenLiveSlot {
  std::array<int16_t, kMaxPoints> sixteenths{};  // 1/16 dBm
  std::array<int16_t, kMaxPoints> y{};
  uint8_t frozen = 0;
  uint8_t hidden = 0;
  Colour colour = 0;
};

// A copy of the average or the bin-average trace; follows its trace while frozen is 0.
struct FrozenTraceSlot {
  std::array<int16_t, kMaxPoints> sixteenths{};  // 1/16 dBm
  std::array<int16_t, kMaxPoints> y{};
  uint8_t hidden = 0;
  uint8_t frozen = 0;
  Colour colour = 0;
};

// A peak-hold trace. While live is 1 it keeps the highest level (smallest y) of every sweep.
struct PeakSlot {
  uint8_t live = 0;
  uint8_t hidden = 0;
  uint8_t frozen = 0;
  Colour colour = 0;
  std::array<int16_t, kMaxPoints> sixteenths{};  // 1/16 dBm
  std::array<int16_t, kMaxPoints> y{};
};

// The min-hold trace: the lowest level of each point since it started or the traces were reset.
// Runs while live is 1; frozen keeps it as it is. Points not yet seen hold kMinHoldUnseen.
struct MinHoldSlot {
  uint8_t live = 0;
  uint8_t hidden = 0;
  uint8_t frozen = 0;
  Colour colour = 0;
  std::array<int16_t, kMaxPoints> sixteenths{};  // 1/16 dBm
  std::array<int16_t, kMaxPoints> y{};           // the largest row: the lowest level drawn
};
inline constexpr int16_t kMinHoldUnseen = std::numeric_limits<int16_t>::max();

inline constexpr std::array<Colour, kTraceSlots> kFrozenLiveColours = {
    Rgb(135, 206, 235), Rgb(127, 127, 0), Rgb(127, 35, 0), Rgb(255, 0, 255)};
inline constexpr std::array<Colour, kTraceSlots> kFrozenAverageColours = {
    Rgb(135, 206, 235), Rgb(127, 127, 0), Rgb(0, 0, 127), Rgb(0, 180, 255)};
inline constexpr std::array<Colour, kTraceSlots> kFrozenBinAverageColours = {
    Rgb(239, 20, 185), Rgb(253, 6, 55), Rgb(124, 75, 184), Rgb(114, 104, 236)};
inline constexpr std::array<Colour, kTraceSlots> kPeakColours = {
    Rgb(255, 128, 0), Rgb(255, 255, 0), Rgb(135, 206, 235), Rgb(255, 0, 0)};
inline constexpr Colour kMinHoldColour = Rgb(0, 255, 255);

}  // namespace qv
