#include "core/display/overview_axes.h"

#include <gtest/gtest.h>

#include "core/display/timeline_layout.h"
#include "core/record/log_time.h"

namespace qv {
namespace {

// Ticks fall on round times of the log's clock, as far apart as the labels need: a night at
// half hours from 01:30 (the log began 01:03:12), forty seconds across midnight every two
// seconds, and an hour without a clock from its start every five minutes.
TEST(OverviewAxes, TimeTicksReadTheClockAtRoundTimes) {
  const int64_t day = ParseLogTime("2024-03-01 00:00:00")->seconds;
  const std::vector<TimeTick> night = LayOutTimeTicks(8 * 3600, day + 3792, 1400, 7);
  ASSERT_EQ(night.size(), 16u);
  EXPECT_EQ(night.front().second, 1608);
  EXPECT_EQ(night.front().text, "01:30");
  EXPECT_EQ(night.back().second, 28608);
  EXPECT_EQ(night.back().text, "09:00");

  const std::vector<TimeTick> short_log = LayOutTimeTicks(40, day - 10, 1400, 7);
  ASSERT_EQ(short_log.size(), 21u);
  EXPECT_EQ(short_log[0].text, "23:59:50");
  EXPECT_EQ(short_log[5].second, 10);
  EXPECT_EQ(short_log[5].text, "00:00:00");

  const std::vector<TimeTick> no_clock = LayOutTimeTicks(3600, std::nullopt, 1400, 7);
  ASSERT_EQ(no_clock.size(), 13u);
  EXPECT_EQ(no_clock[1].second, 300);
  EXPECT_EQ(no_clock[1].text, "00:05");
  EXPECT_TRUE(LayOutTimeTicks(0, day, 1400, 7).empty());
}

// The frequency scale reads the setting's own edges, halves where there is room, and a part of
// the strip names its band.
TEST(OverviewAxes, FrequencyScaleAndPartNames) {
  const GraphRect waterfall{40, 0, 1440, 81};
  const std::vector<RowLabel> labels =
      LayOutOverviewFrequencies(waterfall, LogSweepSetting{48000, 2000, 1}, 15);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0].y, 80);
  EXPECT_EQ(labels[0].text, "2400");
  EXPECT_EQ(labels[1].y, 40);
  EXPECT_EQ(labels[1].text, "2450");
  EXPECT_EQ(labels[2].y, 0);
  EXPECT_EQ(labels[2].text, "2500");
  EXPECT_EQ(OverviewPartText(LogSweepSetting{18040, 520, 1}), "902.0 \u2013 928.0 MHz");
  EXPECT_EQ(LayOutOverviewFrequencies(GraphRect{0, 0, 100, 20}, LogSweepSetting{48000, 2000, 1}, 15)
                .size(),
            2u);
}

// A selected window reads its ends on the clock and its length, and how far it is worked out.
TEST(OverviewAxes, TimeWindowText) {
  const int64_t day = ParseLogTime("2024-03-01 00:00:00")->seconds;
  EXPECT_EQ(TimeWindowText(day + 3792, day + 6760, 3792, 6760, std::nullopt),
            "01:03:12 \u2013 01:52:40, 49 min");
  EXPECT_EQ(TimeWindowText(day + 3792, day + 3800, 0, 8, 42),
            "01:03:12 \u2013 01:03:20, 8 s, working out: 42 %");
  EXPECT_EQ(TimeWindowText(std::nullopt, std::nullopt, 600, 7800, std::nullopt),
            "+00:10:00 \u2013 +02:10:00, 2 h 00 min");
}

}  // namespace
}  // namespace qv
