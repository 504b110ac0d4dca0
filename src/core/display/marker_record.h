#pragma once

#include <array>
#include <cstdint>

#include "core/display/colour.h"

namespace qv {

inline constexpr int kMarkerCount = 3;

// One marker pair. Trace processing keeps the frequencies, levels and band power of placed ends
// current; the graph places the ends and draws them.
struct MarkerRecord {
  int32_t a_x = 0;
  int32_t a_point = 0;
  int32_t b_x = 0;
  int32_t b_point = 0;
  float a_level = 0;
  float b_level = 0;
  float band_sum = 0;     // mW from the lower to the higher of the two points
  float band_power = 0;   // dBm
  float a_frequency = 0;  // MHz
  float b_frequency = 0;  // MHz
  uint8_t a_enabled = 0;  // the end the next click on the plot sets
  uint8_t b_enabled = 0;
  uint8_t a_placed = 0;  // has a position; processed and drawn
  uint8_t b_placed = 0;
  uint8_t hidden = 0;
  int32_t a_glyph = 0;  // bitmap id of the 12 x 12 glyph
  int32_t b_glyph = 0;
  Colour colour = 0;  // colour of the marker's texts
};

struct MarkerConstants {
  Colour colour;
  int32_t a_glyph;
  int32_t b_glyph;
};

inline constexpr std::array<MarkerConstants, kMarkerCount> kMarkerConstants = {{
    {Rgb(255, 0, 0), 143, 144},
    {Rgb(0, 255, 255), 145, 159},
    {Rgb(255, 0, 255), 146, 160},
}};

}  // namespace qv
