#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/display/colour.h"
#include "core/display/gradient.h"
#include "core/record/log_scan.h"

namespace qv {

// The whole-log waterfall as `width` x `height` pixels, row by row from the top: time runs left
// to right over the grid's rows, frequency bottom to top over its columns. A pixel covering
// several cells takes the highest of them; cells no level fell into, and a grid without cells,
// are `background`. `colours` is LevelColourTable's: index 0 is 0 dBm, the last -120 dBm. Where
// rows have their own settings, a pixel column shows the rows of the first setting it covers.
std::vector<Colour> OverviewPixels(const LogOverview& overview, int width, int height,
                                   const std::array<Colour, CGradient::kTableSize>& colours,
                                   Colour background);

// The runs of pixel columns [first, last] of such a picture that show one sweep setting, left to
// right; columns without a sweep belong to the run before them (the first run's to the one
// after). Empty for a grid without own settings or without sweeps.
struct OverviewPart {
  int first = 0;
  int last = 0;
  LogSweepSetting setting;
};
std::vector<OverviewPart> OverviewParts(const LogOverview& overview, int width);

// The colour range (whole dBm, maximum first) that fits the levels of the overview: its lowest
// and highest cell widened out to multiples of 5 dB, at least 10 dB apart, within 0 ... -120.
// nullopt when no cell holds a level.
std::optional<std::pair<int16_t, int16_t>> OverviewColourRange(const LogOverview& overview);

}  // namespace qv
