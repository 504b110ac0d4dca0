// Sweep blocks and plot sizes the Receiver or a damaged file should never produce.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/display/fake_trace_owner.h"
#include "core/display/trace_data.h"

namespace qv {
namespace {

constexpr PlotRect kPlot{0, 0, 1060, 105};

class TraceBadInput : public ::testing::Test {
 protected:
  static Bytes Block(uint32_t points, uint32_t first_point, size_t count, int16_t level_dbm = -7) {
    SweepHeader h;
    h.start = 1000;
    h.points = points;
    h.reference_level = 0;
    h.block_frequency = 1000 + first_point;
    const std::vector<int16_t> samples(count, static_cast<int16_t>(level_dbm * 16));
    return BuildSweepBlock(h, samples.data(), static_cast<uint16_t>(count));
  }
  bool Feed(const Bytes& m, const PlotRect& plot = kPlot) {
    return trace->ProcessSweepBlock(m.data(), m.size(), plot);
  }

  testing::FakeTraceOwner owner;
  std::unique_ptr<TraceData> trace = std::make_unique<TraceData>(&owner);
};

TEST_F(TraceBadInput, BlockClaimingMoreLevelsThanItCarriesUsesThoseItHas) {
  Bytes m = Block(10, 0, 3);
  m[20] = 10;         // block count field
  m.push_back(0x55);  // and half a level
  ASSERT_TRUE(Feed(m));
  EXPECT_EQ(trace->header.block_count, 10);
  EXPECT_EQ(trace->live_levels[2], -7);
  EXPECT_EQ(trace->live_levels[3], 0);
  EXPECT_EQ(trace->points_received, 3u);
  EXPECT_EQ(trace->write_index, 3);
}

TEST_F(TraceBadInput, OtherTypesAndTruncatedHeadersChangeNothing) {
  const Bytes good = Block(4, 0, 2);
  for (size_t length : {size_t{0}, size_t{1}, size_t{21}}) {
    EXPECT_FALSE(trace->ProcessSweepBlock(good.data(), length, kPlot)) << length;
  }
  Bytes band_list = good;
  band_list[0] = kMsgBandList;
  EXPECT_FALSE(Feed(band_list));
  EXPECT_FALSE(trace->ProcessSweepBlock(nullptr, 40, kPlot));
  EXPECT_EQ(trace->sweep_counter, 0);
  EXPECT_EQ(trace->message_type, 0);
  EXPECT_TRUE(owner.spectrogram_points.empty());
}

TEST_F(TraceBadInput, SweepLongerThanTheArraysIsCutAtTheirEnd) {
  for (uint32_t at = 0; at < 20000; at += 5000) ASSERT_TRUE(Feed(Block(20000, at, 5000)));
  EXPECT_EQ(trace->StoredPoints(), kMaxPoints);
  EXPECT_EQ(trace->points_received, static_cast<uint32_t>(kMaxPoints));
  EXPECT_EQ(trace->live_levels[kMaxPoints - 1], -7);
  Feed(Block(20000, 0, 1));
  EXPECT_EQ(owner.spectrogram_points.back(), kMaxPoints);
  EXPECT_EQ(owner.histogram_points.back(), kMaxPoints);
  trace->StartPeakTrace(0);
  trace->StartBinAverage(1);
  trace->ComputeBinAverage(1, kPlot);
  trace->ClearSpectrogramHistory();
  EXPECT_EQ(trace->spectrogram_history().At(kMaxPoints - 1, 0), -110);
}

TEST_F(TraceBadInput, EmptySweepStoresNothing) {
  ASSERT_TRUE(Feed(Block(0, 0, 4)));
  EXPECT_EQ(trace->points_received, 0u);
  EXPECT_EQ(trace->live_levels[0], 0);
  EXPECT_EQ(owner.spectrogram_points.back(), 0);
  EXPECT_EQ(trace->BandPower(kLiveTraceSelector, 60, 600, GraphGeometry({0, 0, 1167, 800}, 0)),
            -std::numeric_limits<double>::infinity());
  trace->ComputeBinAverage(3, kPlot);
  trace->StartBinAverage(3);
  EXPECT_EQ(trace->bin_average_y[0], 0);
}

TEST_F(TraceBadInput, ReverseBlocksLargerThanTheSweepStayInside) {
  owner.fast_rewind = true;
  Feed(Block(4, 0, 3, -1));
  // Write index N - 10 is negative: the next block's low points fall before the array.
  Feed(Block(4, 2, 10, -2));
  EXPECT_LT(trace->write_index, 0);
  Feed(Block(4, 2, 10, -3));
  for (int i = 0; i < 4; ++i) EXPECT_GE(trace->live_levels[i], -3) << i;
  EXPECT_EQ(trace->live_levels[4], 0);
}

TEST_F(TraceBadInput, WriteIndexStaysBoundedWhenNoSweepEverStarts) {
  const Bytes m = Block(5, 1, 65535);
  for (int n = 0; n < 40000; ++n) trace->ProcessSweepBlock(m.data(), m.size(), kPlot);
  EXPECT_GT(trace->write_index, 0);
  EXPECT_EQ(trace->points_received, 5u);
}

TEST_F(TraceBadInput, DegenerateAndHugePlotsGiveDefinedPositions) {
  ASSERT_TRUE(Feed(Block(3, 0, 3, -40), PlotRect{0, 100, 1060, 50}));
  EXPECT_EQ(trace->live_y[0], 5);  // no room below the top margin: flat on the reference line
  trace->StartTraceAverage(1);
  ASSERT_TRUE(Feed(Block(3, 0, 3, -10), PlotRect{0, 0, 1060, 1000005}));
  EXPECT_EQ(trace->average_y[0], 100005);  // 5 + 10 * 1000000 / 100
}

TEST_F(TraceBadInput, MarkersOnOnePointSweepOrZeroWidthPlotStayFinite) {
  MarkerRecord& m = trace->markers[1];
  m.a_placed = m.b_placed = 1;
  m.a_x = 500;
  m.b_x = 20;
  m.a_point = 7;
  m.b_point = -3;
  ASSERT_TRUE(Feed(Block(1, 0, 1), PlotRect{0, 0, 60, 105}));
  EXPECT_FLOAT_EQ(m.a_frequency, 50.0f);  // start 1000 steps
  EXPECT_FLOAT_EQ(m.b_frequency, 50.0f);
  EXPECT_FALSE(std::isnan(m.band_power));
}

TEST_F(TraceBadInput, AverageIndexSetByHandOutsideTheHistoryIsHeldInside) {
  trace->StartTraceAverage(3);
  trace->average_index = 5000;
  ASSERT_TRUE(Feed(Block(2, 0, 2)));
  trace->average_index = -4;
  ASSERT_TRUE(Feed(Block(2, 0, 2)));
  EXPECT_EQ(trace->average_y[0], 12);
}

}  // namespace
}  // namespace qv
