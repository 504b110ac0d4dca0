#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

inline constexpr std::string_view kResolutionTabCaption = "Resolution";
inline constexpr std::string_view kReferenceLevelTabCaption = "Reference Level";

// One button of the resolution page; the RBW code travels in SpectrumSettings.
struct RbwButton {
  std::string_view caption;
  uint32_t khz;
  uint16_t code;
};

// Top to bottom as the page shows them.
inline constexpr std::array<RbwButton, 5> kRbwButtons = {{
    {"50 KHz", 50, 1600},
    {"100 KHz", 100, 800},
    {"300 KHz", 300, 267},
    {"500 KHz", 500, 160},
    {"1000 KHz", 1000, 80},
}};

inline constexpr uint16_t kDefaultRbwCode = 1600;

// 80000 / kHz rounded to the nearest integer; 0 kHz gives 0.
uint16_t RbwCodeForKhz(uint32_t khz);

// Reference levels: index 1..6 for -20..-70 dBm.
inline constexpr int32_t kFirstReferenceIndex = 1;
inline constexpr int32_t kLastReferenceIndex = 6;

// -10 x (index + 1) dBm. Only meaningful for indices 1..6.
int16_t ReferenceLevelDbm(int32_t index);
// The index of a level, or nullopt when the level is not one of the six.
std::optional<int32_t> ReferenceIndexOfLevel(int16_t level_dbm);
// "-20 dBm" ... "-70 dBm"; also the label text the histogram shows ("%d dBm").
std::string WholeDbmText(int32_t dbm);

}  // namespace qv
