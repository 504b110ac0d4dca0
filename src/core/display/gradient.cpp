#include "core/display/gradient.h"

#include <algorithm>

namespace qv {
namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// The low eight bits of v, two's complement, so negative and large values wrap.
constexpr uint32_t Byte(int v) {
  return static_cast<uint8_t>(v);
}

constexpr uint32_t Pack(uint32_t red, uint32_t green, uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

}  // namespace

void CGradient::SetRange(int16_t max, int16_t min) {
  max_ = max;
  min_ = min;
  r_ = static_cast<int16_t>(max - min + 1);
  s_ = static_cast<int16_t>(r_ / 4);
}

void CGradient::SetSpectrogram(int16_t max, int16_t min) {
  SetRange(max, min);
  g1_ = static_cast<int16_t>(min_ + s_);
  g2_ = static_cast<int16_t>(min_ + 2 * s_);
  g3_ = static_cast<int16_t>(min_ + 3 * s_);
  mode_ = kSpectrogramMode;
}

void CGradient::SetHistogram(int16_t max, int16_t min) {
  SetRange(max, min);
  g1_ = static_cast<int16_t>(min_ + 3 * s_);
  g2_ = static_cast<int16_t>(min_ + 2 * s_);
  g3_ = static_cast<int16_t>(min_ + s_);
  mode_ = kHistogramMode;
}

uint32_t CGradient::Colour(int level) const {
  const int b = std::clamp(level, kLowestLevel, kHighestLevel);
  // A range under 4 dB makes s zero; divide by 1 instead of crashing. The histogram threshold
  // can be raised up to its scale top, and "Reset Display" before any reference level gives 0..0.
  const int s = s_ == 0 ? 1 : s_;
  if (mode_ == kSpectrogramMode) {
    if (b < min_) return kWhite;
    if (b > max_) return kBlack;
    if (b > g3_) return Pack(255, Byte((b - min_) * 255 / s), 0);
    if (b > g2_) return Pack(Byte(static_cast<int>(Byte((g1_ - b) * 255 / s)) - 1), 255, 0);
    if (b > g1_) return Pack(0, 255, Byte((b - g2_) * 255 / s));
    return Pack(Byte(std::min((b - g3_) * 255 / s, 255)), 255, 255);
  }
  if (mode_ == kHistogramMode) {
    if (b > max_) return kBlack;
    if (b > g1_) return Pack(255, Byte((max_ - b) * 255 / s), 0);
    if (b > g2_) return Pack(Byte(static_cast<int>(Byte((b - g1_) * 255 / s)) - 1), 255, 0);
    if (b > g3_) return Pack(0, 255, Byte((g2_ - b) * 255 / s));
    return Pack(Byte(std::min((g3_ - b) * 255 / s, 255)), 255, 255);
  }
  return kBlack;
}

std::array<uint32_t, CGradient::kTableSize> CGradient::Table() const {
  std::array<uint32_t, kTableSize> table;
  for (int i = 0; i < kTableSize; ++i) table[i] = Colour(kHighestLevel - i);
  return table;
}

}  // namespace qv
