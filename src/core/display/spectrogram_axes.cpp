#include "core/display/spectrogram_axes.h"

#include <algorithm>

#include "core/display/graph_geometry.h"

namespace qv {
namespace {

constexpr int32_t kTick = 3;
constexpr int32_t kBarWidth = 14;
constexpr int32_t kGap = 6;

// Slot shown by row y of the waterfall: the bottom row slot 0, the top row slot 99.
int32_t SlotAtRow(const GraphRect& w, int32_t y) {
  const int32_t h = w.bottom - w.top - 1;
  return h <= 0 ? 0 : ((h - (y - w.top)) * (kHistoryDepth - 1)) / h;
}

// The first of `steps` whose labels lie at least one and a half lines apart, `pixels_per_unit`
// being the rows one unit of the scale takes; the last step if none does.
int32_t LabelStep(std::initializer_list<int32_t> steps, double pixels_per_unit,
                  int32_t line_height) {
  for (const int32_t step : steps) {
    if (step * pixels_per_unit * 2 >= 3.0 * line_height) return step;
  }
  return *(steps.end() - 1);
}

}  // namespace

SpectrogramLayout LayOutSpectrogram(int32_t width, int32_t height, int32_t char_width,
                                    int32_t line_height, bool axes) {
  SpectrogramLayout layout;
  layout.waterfall = {0, 0, std::max(width, 0), std::max(height, 0)};
  // Too small for the axes and a waterfall of some size: the waterfall alone.
  const int32_t left = 4 * char_width + kTick;                                  // "MHz", "99"
  const int32_t right = kGap + kBarWidth + kTick + 1 + 4 * char_width + 2;     // "-120"
  // The captions' row, and half a line for the top labels centred on the first row.
  const int32_t top = line_height + line_height / 2;
  const int32_t bottom = line_height + kTick;
  if (!axes || width - left - right < 40 || height - top - bottom < 30) return layout;
  layout.axes = true;
  layout.waterfall = {left, top, width - right, height - bottom};
  const int32_t bar_left = layout.waterfall.right + kGap;
  layout.colour_bar = {bar_left, top, bar_left + kBarWidth, height - bottom};
  layout.scale_labels = layout.colour_bar.right + kTick + 1;
  return layout;
}

int32_t WaterfallGridX(const GraphRect& waterfall, int32_t line) {
  return waterfall.left + GridColumn(line, waterfall.right - waterfall.left);
}

std::vector<AxisLabel> LayOutWaterfallFrequencies(const GraphRect& waterfall, uint32_t start,
                                                  uint16_t sweep_word, int32_t points,
                                                  int32_t char_width, int32_t left_limit,
                                                  int32_t right_limit) {
  if (points < 2 || waterfall.right - waterfall.left <= 1) return {};
  std::array<int32_t, 11> xs{};
  for (int32_t i = 0; i <= 10; ++i) xs[i] = WaterfallGridX(waterfall, i);
  return LayOutStepAxis(xs, start, sweep_word, points, char_width, left_limit, right_limit);
}

std::vector<RowLabel> LayOutTimeAxis(const GraphRect& waterfall, bool reverse,
                                     int32_t line_height) {
  std::vector<RowLabel> labels;
  const int32_t h = waterfall.bottom - waterfall.top - 1;
  if (h <= 0) return labels;
  const int32_t step =
      LabelStep({10, 20, 25, 50}, static_cast<double>(h) / (kHistoryDepth - 1), line_height);
  for (int32_t ago = 0; ago < kHistoryDepth; ago += step) {
    const int32_t slot = reverse ? kHistoryDepth - 1 - ago : ago;
    // The bottom row of the rows showing the slot.
    const int32_t y = waterfall.top + h - (slot * h + kHistoryDepth - 2) / (kHistoryDepth - 1);
    labels.push_back({y, std::to_string(ago)});
  }
  return labels;
}

int32_t ColourBarLevel(const GraphRect& bar, int32_t maximum, int32_t minimum, int32_t y) {
  const int32_t h = bar.bottom - bar.top - 1;
  if (h <= 0) return maximum;
  const int32_t row = std::clamp(y - bar.top, 0, h);
  return maximum - static_cast<int32_t>(static_cast<int64_t>(row) * (maximum - minimum) / h);
}

std::vector<RowLabel> LayOutColourScale(const GraphRect& bar, int32_t maximum, int32_t minimum,
                                        int32_t line_height) {
  std::vector<RowLabel> labels;
  const int32_t h = bar.bottom - bar.top - 1;
  const int32_t range = maximum - minimum;
  if (h < 0) return labels;
  // Before any reference level "Reset Display" may leave no range: one colour, one label.
  if (h == 0 || range <= 0) return {{bar.top, std::to_string(maximum)}};
  // The first row coloured with `level` (rounded up, the inverse of ColourBarLevel).
  const auto row_of = [&](int32_t level) {
    return bar.top +
           static_cast<int32_t>((static_cast<int64_t>(maximum - level) * h + range - 1) / range);
  };
  const double per_db = static_cast<double>(h) / range;
  const int32_t step = LabelStep({5, 10, 20, 50}, per_db, line_height);
  const int32_t clearance = (3 * line_height + 1) / 2;
  labels.push_back({bar.top, std::to_string(maximum)});
  // Multiples of the step strictly inside the range, from the top down.
  int32_t level = maximum - ((maximum % step) + step) % step;
  if (level == maximum) level -= step;
  for (; level > minimum; level -= step) {
    const int32_t y = row_of(level);
    if (y - bar.top >= clearance && bar.top + h - y >= clearance) {
      labels.push_back({y, std::to_string(level)});
    }
  }
  labels.push_back({bar.top + h, std::to_string(minimum)});
  return labels;
}

std::optional<RowSpan> EmptyRows(const GraphRect& waterfall,
                                 const std::array<uint8_t, kHistoryDepth>& filled) {
  std::optional<RowSpan> best;
  std::optional<int32_t> run_start;
  for (int32_t y = waterfall.top; y <= waterfall.bottom; ++y) {
    const bool empty = y < waterfall.bottom && filled[SlotAtRow(waterfall, y)] == 0;
    if (empty && !run_start) run_start = y;
    if (!empty && run_start) {
      if (!best || y - 1 - *run_start > best->last - best->first) best = RowSpan{*run_start, y - 1};
      run_start.reset();
    }
  }
  return best;
}

}  // namespace qv
