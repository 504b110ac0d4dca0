#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/graph_geometry.h"
#include "core/display/spectrogram_axes.h"
#include "core/record/log_scan.h"

namespace qv {

// Where the timeline's overview strip puts its parts: the waterfall over the time span the
// slider's handle travels ([time_left, time_right], both inside), the time labels under it, the
// frequency labels right of it and then the colour scale with its labels.
struct OverviewStripLayout {
  GraphRect waterfall;
  int32_t frequency_labels = 0;  // left edge of the frequency labels
  GraphRect colour_bar;          // maximum at the top row, minimum at the bottom one
  int32_t scale_labels = 0;      // left edge of the colour scale's labels
};
OverviewStripLayout LayOutOverviewStrip(int32_t width, int32_t height, int32_t time_left,
                                        int32_t time_right, int32_t char_width,
                                        int32_t line_height);

// Frequency labels beside the waterfall's rows for one sweep setting, in MHz: its low edge on
// the bottom row, its high edge on the top row and, where there is room (one and a half lines
// apart), halves or quarters between.
std::vector<RowLabel> LayOutOverviewFrequencies(const GraphRect& waterfall,
                                                const LogSweepSetting& setting,
                                                int32_t line_height);

// "902.0 – 928.0 MHz": the frequencies a part of the strip shows.
std::string OverviewPartText(const LogSweepSetting& setting);

// Time ticks under the strip: at round times of day of the log's clock (from `start_clock`, the
// clock at second 0; round elapsed times without one), every 1, 2, 5, 10, 15 or 30 s, minutes
// or 1, 2, 3, 6 or 12 h, the first step whose labels keep a gap of two characters over `pixels`
// pixels for `duration` seconds. "HH:MM", or "HH:MM:SS" for steps under a minute.
struct TimeTick {
  int64_t second = 0;  // elapsed
  std::string text;
};
std::vector<TimeTick> LayOutTimeTicks(int64_t duration, std::optional<int64_t> start_clock,
                                      int32_t pixels, int32_t char_width);

}  // namespace qv
