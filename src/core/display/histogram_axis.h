#pragma once

#include <cstdint>
#include <vector>

#include "core/display/frequency_axis.h"

namespace qv {

// The histogram's columns and frequency axis. The n points of a sweep share the picture's width
// in n equal steps, from the sweep's start at the left edge to its stop (start + n steps) at the
// right one, and each point's bar stands in the middle of its step (StepColumn), as on the graph.

// The labels under the bars: line i reads start + i tenths of the n steps of `sweep_word`
// 50 kHz steps, laid out as the graph's are within the picture's width. Empty without a point.
std::vector<AxisLabel> LayOutHistogramFrequencies(int32_t width, uint32_t start,
                                                  uint16_t sweep_word, int32_t points,
                                                  int32_t char_width);

}  // namespace qv
