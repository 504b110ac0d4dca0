#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/average_history.h"
#include "core/display/frequency_axis.h"
#include "core/display/graph_geometry.h"

namespace qv {

// Where the spectrogram's picture puts its parts. Without axes the waterfall is the whole
// picture; with them it leaves room for the time axis on the left, the frequency axis below,
// a caption row above (half a line more, so labels centred on the top row stay below it) and the
// colour scale on the right.
struct SpectrogramLayout {
  GraphRect waterfall;
  GraphRect colour_bar;      // maximum at the top row, minimum at the bottom one
  int32_t scale_labels = 0;  // left edge of the colour scale's labels
  bool axes = false;
};

SpectrogramLayout LayOutSpectrogram(int32_t width, int32_t height, int32_t char_width,
                                    int32_t line_height, bool axes);

// A label beside a vertical scale: its text and the row it belongs to.
struct RowLabel {
  int32_t y = 0;
  std::string text;
};

// Column of grid line 0 ... 10 under the waterfall: every tenth of its width (GridColumn). A
// column shows the point whose step holds its middle (ColumnStep), as on the graph.
int32_t WaterfallGridX(const GraphRect& waterfall, int32_t line);

// Frequency labels under the waterfall's columns. Column x of a waterfall w pixels wide shows
// point x (n - 1) / (w - 1); the eleven lines sit at every tenth of the width and each reads the
// point its column shows. Empty with fewer than two points.
std::vector<AxisLabel> LayOutWaterfallFrequencies(const GraphRect& waterfall, uint32_t start,
                                                  uint16_t sweep_word, int32_t points,
                                                  int32_t char_width, int32_t left_limit,
                                                  int32_t right_limit);

// Sweeps ago beside the waterfall's rows: 0 at the newest sweep's row (the bottom, or the top in
// reverse replay), then every 10, 20, 25 or 50 sweeps, whichever first keeps the labels one and
// a half lines apart.
std::vector<RowLabel> LayOutTimeAxis(const GraphRect& waterfall, bool reverse,
                                     int32_t line_height);

// The level the colour bar shows at row y: maximum on its top row, minimum on its bottom one.
int32_t ColourBarLevel(const GraphRect& bar, int32_t maximum, int32_t minimum, int32_t y);
// Its labels: maximum and minimum at its ends, and the multiples of 5, 10, 20 or 50 dB between
// them (the first step that keeps labels one and a half lines apart) that clear both ends; the
// maximum alone when there is no range.
std::vector<RowLabel> LayOutColourScale(const GraphRect& bar, int32_t maximum, int32_t minimum,
                                        int32_t line_height);

// The tallest run of the waterfall's rows whose slot holds no sweep, as [first, last] rows;
// nullopt when every row shows one.
struct RowSpan {
  int32_t first = 0;
  int32_t last = 0;
};
std::optional<RowSpan> EmptyRows(const GraphRect& waterfall,
                                 const std::array<uint8_t, kHistoryDepth>& filled);

}  // namespace qv
