#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/display/graph_geometry.h"

namespace qv {

// One frequency label under the plot: its text and the left edge it is drawn from.
struct AxisLabel {
  int32_t grid_line = 0;  // 0 ... 10
  int32_t left = 0;
  int32_t width = 0;
  std::string text;
};

// Decimals a label needs so that neighbouring labels of a span of `span_mhz` (ten divisions) are
// told apart; never more than the 50 kHz step of the points can mean.
int32_t AxisDecimals(double span_mhz);

// The labels under the vertical grid lines of `g`, each reading its line's frequency, start plus
// that many tenths of the span, drawn `char_width` pixels per character.
// Every line is labelled where the labels fit with a character's gap between them, else every
// other one, else start, centre and stop. The start label begins right of `left_limit` (the
// amplitude scale's labels hang into this row); a label is centred on its line otherwise, the
// stop label ending no further right than the window's `right_limit`. Empty without a sweep.
std::vector<AxisLabel> LayOutFrequencyAxis(const GraphGeometry& g, uint32_t start,
                                           uint16_t sweep_word, int32_t char_width,
                                           int32_t left_limit, int32_t right_limit);

// The labels of any row of eleven grid lines over a sweep of `points` steps: line i at x = xs[i]
// reads start + i tenths of the span. The graph, spectrogram and histogram axes all use it.
std::vector<AxisLabel> LayOutStepAxis(const std::array<int32_t, 11>& xs, uint32_t start,
                                      uint16_t sweep_word, int32_t points, int32_t char_width,
                                      int32_t left_limit, int32_t right_limit);

// The same fitting for any row of eleven lines: line i at x = xs[i] reads mhz[i], written with
// `decimals` decimals, or fewer where every label is exact with fewer. The spectrogram's frequency axis uses it under its own columns.
std::vector<AxisLabel> LayOutAxisLabels(const std::array<int32_t, 11>& xs,
                                        const std::array<double, 11>& mhz, int32_t decimals,
                                        int32_t char_width, int32_t left_limit,
                                        int32_t right_limit);

}  // namespace qv
