#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/control/channel_plans.h"
#include "core/display/channel_utilisation.h"
#include "core/display/graph_geometry.h"

namespace qv {

// What the graph's channel bands show: a plan and its figures per channel (live, or a selected
// time window's).
struct ChannelPlanFigures {
  const ChannelPlan* plan = nullptr;
  std::vector<ChannelUse> figures;
  std::string caption;  // what the figures count (ChannelUseCaption)
};

// What channel figures count: "Busy at -85 dBm over 60 s"; while the sweeps counted since the
// threshold was set (or the count started) cover less than the span, how many they are,
// "Busy at -85 dBm over 3 sweeps (span 60 s)"; a selected time window's, "Busy at -85 dBm over
// the window's 1200 sweeps" (`span_ms` 0).
std::string ChannelUseCaption(int32_t threshold_dbm, int64_t span_ms, uint64_t sweeps,
                              bool span_covered);

// A channel's band across the plot: screen columns [left, right), clipped to the plot, and its
// row from the top (rows stagger channels that would overlap).
struct ChannelBandPlace {
  size_t channel = 0;
  int32_t left = 0;
  int32_t right = 0;
  int32_t row = 0;
  bool labelled = true;  // false: no row had room for its texts, so only its band is drawn
};

// The plan's channels that overlap a sweep from `start` (50 kHz steps), `sweep_word` steps
// apart, across g's plot. A channel goes into the first row where it clears, by `gap` pixels,
// the band before it, widened to `label_widths[channel]` about its middle; when none of
// `max_rows` rows has room, into the row that frees first, unlabelled, so texts never overlap.
std::vector<ChannelBandPlace> PlaceChannelBands(const ChannelPlan& plan, const GraphGeometry& g,
                                                uint32_t start, uint16_t sweep_word,
                                                const std::vector<int32_t>& label_widths,
                                                int32_t gap, int32_t max_rows);

// "50% -81.2 dBm" under a channel's label; "-" for a channel no sweep reached.
std::string ChannelUseText(const ChannelUse& use);

}  // namespace qv
