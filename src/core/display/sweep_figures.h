#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

// A whole sweep's highest point and its median level, the noise floor a monitor reports.
struct SweepFigures {
  int16_t peak = 0;        // 1/16 dBm
  size_t peak_index = 0;   // the first point at the peak
  int16_t median = 0;      // 1/16 dBm; the lower middle of an even count
};

// Of `count` levels (none: all zero). `scratch` is reused between sweeps.
SweepFigures FiguresOf(const int16_t* levels, size_t count, std::vector<int16_t>& scratch);

}  // namespace qv
