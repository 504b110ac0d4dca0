#include "core/display/overview_axes.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/display/frequency_axis.h"

namespace qv {
namespace {

constexpr int32_t kTick = 3;
constexpr int32_t kBarWidth = 10;
constexpr int32_t kGap = 6;

std::string MhzText(uint64_t hz, int32_t decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(hz) / 1e6);
  return text;
}

}  // namespace

OverviewStripLayout LayOutOverviewStrip(int32_t width, int32_t height, int32_t time_left,
                                        int32_t time_right, int32_t char_width,
                                        int32_t line_height) {
  OverviewStripLayout layout;
  const int32_t bottom = std::max(0, height - line_height - kTick);
  layout.waterfall = {time_left, 0, time_right + 1, bottom};
  layout.frequency_labels = layout.waterfall.right + kTick + 1;
  // Room for "2483.50" beside the waterfall, then the bar and "-120" beside it.
  const int32_t bar_left = std::min(layout.frequency_labels + 7 * char_width + kGap,
                                    std::max(width - kBarWidth - kTick - 4 * char_width - 2, 0));
  layout.colour_bar = {bar_left, 0, bar_left + kBarWidth, bottom};
  layout.scale_labels = layout.colour_bar.right + kTick + 1;
  return layout;
}

std::vector<RowLabel> LayOutOverviewFrequencies(const GraphRect& waterfall,
                                                const LogSweepSetting& setting,
                                                int32_t line_height) {
  const int32_t h = waterfall.bottom - waterfall.top - 1;
  if (h <= 0 || setting.points == 0) return {};
  const uint64_t low = setting.LowHz();
  const uint64_t span = setting.HighHz() - low;
  int32_t parts = 1;
  for (const int32_t more : {2, 4}) {
    if (h * 2 >= more * 3 * line_height) parts = more;
  }
  const int32_t decimals = AxisDecimals(static_cast<double>(span) / 1e6 * 10.0 / parts);
  std::vector<RowLabel> labels;
  for (int32_t i = 0; i <= parts; ++i) {
    labels.push_back({waterfall.top + h - h * i / parts, MhzText(low + span * i / parts, decimals)});
  }
  return labels;
}

std::string OverviewPartText(const LogSweepSetting& setting) {
  const int32_t decimals =
      AxisDecimals(static_cast<double>(setting.HighHz() - setting.LowHz()) / 1e6);
  return MhzText(setting.LowHz(), decimals) + " \u2013 " + MhzText(setting.HighHz(), decimals) +
         " MHz";
}

std::vector<TimeTick> LayOutTimeTicks(int64_t duration, std::optional<int64_t> start_clock,
                                      int32_t pixels, int32_t char_width) {
  std::vector<TimeTick> ticks;
  if (duration <= 0 || pixels <= 1) return ticks;
  static constexpr std::array<int64_t, 17> kSteps = {
      1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
  int64_t step = kSteps.back();
  for (const int64_t s : kSteps) {
    const int32_t chars = s < 60 ? 8 : 5;
    if (static_cast<double>(s) * pixels / static_cast<double>(duration) >=
        (chars + 2) * char_width) {
      step = s;
      break;
    }
  }
  const int64_t base = start_clock.value_or(0);
  // The first round time at or after the start.
  const int64_t first = ((base % step) + step) % step == 0 ? 0 : step - ((base % step) + step) % step;
  for (int64_t t = first; t <= duration; t += step) {
    const int64_t of_day = ((base + t) % 86400 + 86400) % 86400;
    char text[16];
    if (step < 60) {
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(of_day / 3600),
                    static_cast<int>(of_day / 60 % 60), static_cast<int>(of_day % 60));
    } else {
      std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(of_day / 3600),
                    static_cast<int>(of_day / 60 % 60));
    }
    ticks.push_back({t, text});
  }
  return ticks;
}

}  // namespace qv
