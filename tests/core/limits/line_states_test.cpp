#include <gtest/gtest.h>

#include <vector>

#include "core/display/sweep_figures.h"
#include "core/limits/line_states.h"

namespace qv {
namespace {

// What a monitor without windows reports per sweep: each line's state and violations, the peak
// and the noise floor.
TEST(MonitorFigures, EachLineCountsItsOwnRunsOfFailingSweeps) {
  const LimitLine upper = ParseLimitLine("1000,-50\n2000,-50\n", "upper").line;
  const LimitLine lower = ParseLimitLine("1000,-90\n2000,-90\n", "lower").line;
  LimitLineStates states;
  const auto sweep = [&](std::vector<int16_t> dbm) {
    for (int16_t& level : dbm) level = static_cast<int16_t>(level * 16);
    states.OnSweep(upper, lower, SweepLevels{1000, 500, dbm.data(), dbm.size()});
  };
  sweep({-60, -40, -60});  // upper fails
  sweep({-60, -45, -95});  // both fail: still the upper's first run, the lower's first
  sweep({-60, -60, -60});  // both pass
  sweep({-30, -60, -60});  // the upper's second run
  EXPECT_TRUE(states.Of(LimitKind::kUpper).failing);
  EXPECT_EQ(states.Of(LimitKind::kUpper).violations, 2u);
  EXPECT_FALSE(states.Of(LimitKind::kLower).failing);
  EXPECT_EQ(states.Of(LimitKind::kLower).violations, 1u);

  std::vector<int16_t> scratch;
  const std::vector<int16_t> levels = {-1600, -800, -1440, -800, -1520, -1280};
  const SweepFigures figures = FiguresOf(levels.data(), levels.size(), scratch);
  EXPECT_EQ(figures.peak, -800);
  EXPECT_EQ(figures.peak_index, 1u);  // the first of two equal highest points
  EXPECT_EQ(figures.median, -1440);   // the lower middle of six
  EXPECT_EQ(FiguresOf(nullptr, 0, scratch).median, 0);
}

}  // namespace
}  // namespace qv
