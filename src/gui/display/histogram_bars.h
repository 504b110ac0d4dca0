#pragma once

#include <QImage>
#include <QRgb>
#include <array>
#include <cstdint>
#include <vector>

#include "core/display/frequency_axis.h"
#include "core/display/gradient.h"

class QPainter;

namespace qv {

// Width of every bar in pixels, centred on its point's column.
inline constexpr int kHistogramBarWidth = 3;
// What the picture shows where no bar reaches: a grey no gradient colour takes, so that black
// bars (levels above the scale) and white ones (far below it) both stand out.
inline constexpr QRgb kHistogramBackground = 0xFF404040;

// The gradient's colours as picture pixels, from 0 dBm (index 0) down to -120 dBm (index 120).
std::array<QRgb, CGradient::kTableSize> HistogramColourTable(const CGradient& gradient);

// Bar height of a point counted `count` times in `sweep_counter` sweeps: height * count /
// counter in whole pixels, within 0 ... height. Zero while the counter is not positive.
int HistogramBarHeight(int16_t count, int16_t sweep_counter, int height);

// Fills `image` (32-bit RGB) with the background and one bar per point, rising from the
// bottom by its count over the counter, coloured by its live level through `colours`. Later
// points cover earlier ones where they overlap, as if drawn one after another. Each bar stands
// on its point's column (StepColumn).
void PaintHistogramBars(QImage& image, int32_t points, int16_t sweep_counter,
                        const int16_t* counts, const int16_t* live_levels,
                        const std::array<QRgb, CGradient::kTableSize>& colours);

// The frequency axis under the bars, on a row as wide as the picture: a tick on each labelled
// grid line, its label under it.
void PaintHistogramAxis(QPainter& painter, int width, int line_height,
                        const std::vector<AxisLabel>& labels);

}  // namespace qv
