#include "core/display/channel_plan_layout.h"

#include <algorithm>
#include <cstdio>

namespace qv {

std::vector<ChannelBandPlace> PlaceChannelBands(const ChannelPlan& plan, const GraphGeometry& g,
                                                uint32_t start, uint16_t sweep_word,
                                                const std::vector<int32_t>& label_widths,
                                                int32_t gap, int32_t max_rows) {
  std::vector<ChannelBandPlace> places;
  const int64_t low = int64_t{start} * 50000;
  const int64_t span = int64_t{g.points} * sweep_word * 50000;
  const int32_t width = g.Width();
  if (span <= 0 || width <= 0 || max_rows <= 0) return places;
  const auto column = [&](uint64_t hz) {
    const int64_t x = (static_cast<int64_t>(hz) - low) * width / span;
    return static_cast<int32_t>(std::clamp<int64_t>(x, 0, width)) + g.GridX(0);
  };
  std::vector<int32_t> row_ends;  // right edge of the last box in each row
  for (size_t c = 0; c < plan.channels.size(); ++c) {
    const PlanChannel& ch = plan.channels[c];
    if (static_cast<int64_t>(ch.high_hz) <= low || static_cast<int64_t>(ch.low_hz) >= low + span)
      continue;
    ChannelBandPlace place{c, column(ch.low_hz), column(ch.high_hz), 0};
    const int32_t label = c < label_widths.size() ? label_widths[c] : 0;
    const int32_t middle = (place.left + place.right) / 2;
    const int32_t box_left = std::min(place.left, middle - label / 2);
    const int32_t box_right = std::max(place.right, middle + (label + 1) / 2);
    size_t row = 0;
    while (row < row_ends.size() && row_ends[row] + gap > box_left) ++row;
    if (row == row_ends.size()) {
      if (row_ends.size() < static_cast<size_t>(max_rows)) {
        row_ends.push_back(box_right);
      } else {
        row = static_cast<size_t>(std::min_element(row_ends.begin(), row_ends.end()) -
                                  row_ends.begin());
        place.labelled = false;
      }
    }
    // An unlabelled band keeps the row's texts where they are.
    if (place.labelled) row_ends[row] = box_right;
    place.row = static_cast<int32_t>(row);
    places.push_back(place);
  }
  return places;
}

std::string ChannelUseCaption(int32_t threshold_dbm, int64_t span_ms, uint64_t sweeps,
                              bool span_covered) {
  const std::string busy = "Busy at " + std::to_string(threshold_dbm) + " dBm over ";
  const std::string counted = std::to_string(sweeps) + (sweeps == 1 ? " sweep" : " sweeps");
  if (span_ms <= 0) return busy + "the window's " + counted;
  const int64_t seconds = span_ms / 1000;
  const std::string span = seconds % 60 == 0 && seconds >= 300
                               ? std::to_string(seconds / 60) + " min"
                               : std::to_string(seconds) + " s";
  return span_covered ? busy + span : busy + counted + " (span " + span + ")";
}

std::string ChannelUseText(const ChannelUse& use) {
  if (!use.Measured()) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%.0f%% %.1f dBm", use.UtilisationPercent(), use.MeanDbm());
  return text;
}

}  // namespace qv
