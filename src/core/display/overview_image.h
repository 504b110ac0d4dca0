#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/display/colour.h"
#include "core/display/gradient.h"

namespace qv {

class LogOverview;

// The whole-log waterfall as `width` x `height` pixels, row by row from the top: time runs left
// to right over the grid's rows, frequency bottom to top over its columns. A pixel covering
// several cells takes the highest of them; cells no level fell into, and a grid without cells,
// are `background`. `colours` is LevelColourTable's: index 0 is 0 dBm, the last -120 dBm.
std::vector<Colour> OverviewPixels(const LogOverview& overview, int width, int height,
                                   const std::array<Colour, CGradient::kTableSize>& colours,
                                   Colour background);

}  // namespace qv
