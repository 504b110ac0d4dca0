#include "core/display/trace_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/display/fake_trace_owner.h"
#include "core/display/graph_texts.h"
#include "core/display/level_power.h"
#include "core/display/peak_search.h"
#include "core/display/trace_sweep_processor.h"
#include "core/record/capture_log.h"
#include "core/record/trace_csv.h"

namespace qv {
namespace {

// H - 5 = 100 pixels for 100 dB: y = 5 + reference - level.
constexpr PlotRect kPlot{0, 0, 1060, 105};
// A plot 1000 pixels wide (R = 1167 * 6 / 7) over 11 points: point i is drawn at 60 + 100 i.
const GraphGeometry kWide({0, 0, 1167, 800}, 11);

class TraceDataTest : public ::testing::Test {
 protected:
  // One block of a sweep of `points` points from 48000; samples are in 1/16 dBm.
  static Bytes Block(uint32_t points, uint32_t first_point, const std::vector<int16_t>& samples,
                     int16_t reference = 0, uint8_t type = kMsgSweep) {
    SweepHeader h;
    h.type = type;
    h.start = 48000;
    h.points = points;
    h.reference_level = reference;
    h.block_frequency = 48000 + first_point;
    return BuildSweepBlock(h, samples.data(), static_cast<uint16_t>(samples.size()));
  }
  // Whole-dBm levels as samples.
  static std::vector<int16_t> Dbm(std::vector<int16_t> levels) {
    for (int16_t& l : levels) l = static_cast<int16_t>(l * 16);
    return levels;
  }
  bool Feed(const Bytes& m, const PlotRect& plot = kPlot) {
    return trace->ProcessSweepBlock(m.data(), m.size(), plot);
  }

  testing::FakeTraceOwner owner;
  std::unique_ptr<TraceData> trace = std::make_unique<TraceData>(&owner);
};

TEST_F(TraceDataTest, ConstructionStateAndColourPacking) {
  EXPECT_EQ(Rgb(255, 128, 0), 0x000080FFu);  // red in the low byte
  EXPECT_EQ(trace->peaks[0].colour, Rgb(255, 128, 0));
  EXPECT_EQ(trace->frozen_bin_average[3].colour, Rgb(114, 104, 236));
  EXPECT_EQ(trace->markers[1].a_glyph, 145);
  EXPECT_EQ(trace->markers[1].b_glyph, 159);
  EXPECT_EQ(trace->channels[0].menu_command, 32801);
  EXPECT_EQ(trace->channels[3].menu_command, 32804);
  EXPECT_EQ(trace->header.points, 0u);
  EXPECT_EQ(trace->header.reference_level, 0);
}

TEST_F(TraceDataTest, SamplesAreKeptAndRoundedToTheNearestDbm) {
  ASSERT_TRUE(Feed(Block(5, 0, {-1, -17, 16, 31, -32768})));
  EXPECT_EQ(trace->live_sixteenths[3], 31);
  EXPECT_EQ(trace->live_levels[0], 0);
  EXPECT_EQ(trace->live_levels[1], -1);
  EXPECT_EQ(trace->live_levels[2], 1);
  EXPECT_EQ(trace->live_levels[3], 2);
  EXPECT_EQ(trace->live_levels[4], -2048);
  EXPECT_EQ(trace->live_y[1], 6);  // 5 + 0 - (-1)
}

TEST_F(TraceDataTest, FirstBlockAfterConstructionClosesAnEmptySweep) {
  ASSERT_TRUE(Feed(Block(4, 0, Dbm({-10, -10, -10, -10}))));
  EXPECT_EQ(trace->sweep_power, 0.0f);
  EXPECT_EQ(owner.spectrogram_points, std::vector<int32_t>({4}));
  EXPECT_EQ(owner.histogram_counters, std::vector<int16_t>({1}));
  // Four points of 0.1 mW: the next sweep reports 10 * log10(0.4).
  ASSERT_TRUE(Feed(Block(4, 0, Dbm({-10, -10, -10, -10}))));
  EXPECT_NEAR(trace->sweep_power, -3.9794, 1e-3);
  EXPECT_EQ(owner.histogram_counters, std::vector<int16_t>({1, 2}));
}

TEST_F(TraceDataTest, HistogramCountsLevelsAtOrAboveThreshold) {
  owner.threshold = -50;
  ASSERT_TRUE(Feed(Block(3, 0, Dbm({-50, -51, 0}))));
  EXPECT_EQ(trace->histogram_counts[0], 1);
  EXPECT_EQ(trace->histogram_counts[1], 0);
  EXPECT_EQ(trace->histogram_counts[2], 1);
}

TEST_F(TraceDataTest, AverageIsTheMeanOfTheLastSweepsEachCountedOnce) {
  trace->StartTraceAverage(4);
  std::vector<int32_t> indices;
  std::vector<int32_t> average_y;
  for (int16_t level : {10, 20, 30, 40, 50, 60}) {
    indices.push_back(trace->average_index);
    ASSERT_TRUE(Feed(Block(1, 0, Dbm({level}))));
    average_y.push_back(trace->average_y[0]);
  }
  EXPECT_EQ(indices, std::vector<int32_t>({0, 1, 2, 3, 3, 3}));
  // Windows: [10] [10 20] [10 20 30] [10 20 30 40] [20 30 40 50] [30 40 50 60].
  EXPECT_EQ(average_y, std::vector<int32_t>({-5, -10, -15, -20, -30, -40}));
  trace->StopTraceAverage();
  EXPECT_EQ(trace->average_count, 0);
  ASSERT_TRUE(Feed(Block(1, 0, Dbm({-7}))));
  EXPECT_EQ(trace->average_y[0], 12);  // follows the live trace again

  // Two alternating levels averaged over two sweeps sit halfway, whichever came last; a count
  // lowered from 3 to 2 drops both older sweeps it no longer covers.
  trace->StartTraceAverage(3);
  int16_t level = -90;
  for (int s = 0; s < 8; ++s, level = static_cast<int16_t>(level == -90 ? -70 : -90)) {
    ASSERT_TRUE(Feed(Block(1, 0, Dbm({level}))));
    if (s == 4) trace->SetAverageCount(2);
    if (s >= 6) {
      EXPECT_EQ(trace->average_y[0], 85) << "sweep " << s;  // 5 + 0 - (-80)
    }
  }
}

TEST_F(TraceDataTest, AverageIndexWalksDownWhenTheCountIsLowered) {
  trace->StartTraceAverage(5);
  for (int s = 0; s < 6; ++s) Feed(Block(1, 0, Dbm({0})));
  EXPECT_EQ(trace->average_index, 4);
  trace->SetAverageCount(2);
  Feed(Block(1, 0, Dbm({0})));
  EXPECT_EQ(trace->average_index, 3);
  trace->SetAverageCount(500);  // more than the history holds
  EXPECT_EQ(trace->average_count, kHistoryDepth);
}

TEST_F(TraceDataTest, PeakKeepsHighestLevelAndFollowsAReferenceChange) {
  Feed(Block(3, 0, Dbm({-40, -40, -40})));
  trace->peaks[1].live = 1;
  trace->StartPeakTrace(1);
  Feed(Block(3, 0, Dbm({-30, -50, -40})));
  EXPECT_EQ(trace->peaks[1].y[0], 35);
  EXPECT_EQ(trace->peaks[1].y[1], 45);
  EXPECT_EQ(trace->peaks[1].y[2], 45);
  // Ten dB more reference moves every trace down by its levels, the peak's with the live one.
  Feed(Block(3, 0, Dbm({-30, -30, -30}), 10));
  EXPECT_EQ(trace->live_y[0], 45);
  EXPECT_EQ(trace->peaks[1].y[0], 45);
  EXPECT_EQ(trace->peaks[1].y[1], 45);
  EXPECT_EQ(trace->peaks[1].y[2], 45);
}

// Rows follow the plot's height from the levels kept, for every trace, when the window is
// resized with no sweep arriving: the same rows as sweeps processed at the new height.
TEST_F(TraceDataTest, RowsAreRemadeFromLevelsForANewPlotHeight) {
  constexpr PlotRect kTall{0, 0, 1060, 205};
  const auto feed_all = [&](const PlotRect& plot) {
    TraceData& t = *trace;
    t.StartTraceAverage(2);
    Feed(Block(3, 0, Dbm({-40, -60, -80}), -20), plot);
    t.peaks[2].live = 1;
    t.StartPeakTrace(2);
    t.StartMinHold();
    t.min_hold.live = 1;
    Feed(Block(3, 0, Dbm({-30, -70, -90}), -20), plot);
    t.frozen_live[0].frozen = 1;
    t.frozen_average[1].frozen = 1;
    t.StartBinAverage(2);
    t.ComputeBinAverage(2, plot);
    t.frozen_bin_average[3].frozen = 1;
  };
  feed_all(kTall);
  std::vector<std::vector<int32_t>> expected;
  const auto rows = [&] {
    const TraceData& t = *trace;
    std::vector<std::vector<int32_t>> all;
    all.emplace_back(t.live_y.begin(), t.live_y.begin() + 3);
    all.emplace_back(t.average_y.begin(), t.average_y.begin() + 3);
    all.emplace_back(t.peaks[2].y.begin(), t.peaks[2].y.begin() + 3);
    all.emplace_back(t.min_hold.y.begin(), t.min_hold.y.begin() + 3);
    all.emplace_back(t.frozen_live[0].y.begin(), t.frozen_live[0].y.begin() + 3);
    all.emplace_back(t.frozen_average[1].y.begin(), t.frozen_average[1].y.begin() + 3);
    all.emplace_back(t.frozen_bin_average[3].y.begin(), t.frozen_bin_average[3].y.begin() + 2);
    return all;
  };
  expected = rows();
  trace = std::make_unique<TraceData>(&owner);
  feed_all(kPlot);
  EXPECT_NE(rows(), expected);
  trace->FitRows(kTall);
  EXPECT_EQ(rows(), expected);
  // Rows set by hand, with no scale of their own, are left as they are.
  auto hand = std::make_unique<TraceData>(&owner);
  hand->live_y[0] = 77;
  hand->FitRows(kTall);
  EXPECT_EQ(hand->live_y[0], 77);
}

TEST_F(TraceDataTest, FrozenSlotsStopFollowing) {
  Feed(Block(2, 0, Dbm({-10, -20})));
  trace->frozen_live[2].frozen = 1;
  trace->frozen_average[0].frozen = 1;
  Feed(Block(2, 0, Dbm({-60, -70})));
  EXPECT_EQ(trace->frozen_live[2].sixteenths[0], -10 * 16);
  EXPECT_EQ(trace->frozen_live[1].sixteenths[0], -60 * 16);
  EXPECT_EQ(trace->frozen_average[0].y[1], 25);
  EXPECT_EQ(trace->frozen_average[1].y[1], 75);
}

TEST_F(TraceDataTest, PointsReceivedNeverExceedN) {
  Feed(Block(10, 0, Dbm({1, 1, 1, 1, 1, 1})));
  EXPECT_EQ(trace->points_received, 6u);
  Feed(Block(10, 6, Dbm({2, 2, 2, 2, 2, 2})));
  EXPECT_EQ(trace->points_received, 10u);
  EXPECT_EQ(trace->live_levels[9], 2);
  EXPECT_EQ(trace->live_levels[10], 0);  // beyond N: dropped
  // The pair brackets the block just written.
  EXPECT_EQ(trace->block_start_index, 6);
  EXPECT_EQ(trace->write_index, 12);
}

TEST_F(TraceDataTest, ReverseOrderBracketsTheNextBlockDown) {
  owner.fast_rewind = true;
  // The first block of a sweep (at the start frequency) synchronises the order.
  Feed(Block(30, 0, Dbm(std::vector<int16_t>(10, -1))));
  EXPECT_EQ(trace->write_index, 20);
  EXPECT_EQ(trace->block_start_index, 30);
  Feed(Block(30, 20, Dbm(std::vector<int16_t>(10, -3))));
  EXPECT_EQ(trace->live_levels[20], -3);
  EXPECT_EQ(trace->write_index, 10);
  EXPECT_EQ(trace->block_start_index, 20);
  Feed(Block(30, 10, Dbm(std::vector<int16_t>(10, -2))));
  EXPECT_EQ(trace->live_levels[10], -2);
  EXPECT_EQ(trace->live_levels[19], -2);
  EXPECT_EQ(trace->write_index, 0);
  EXPECT_EQ(trace->block_start_index, 10);
  // The newest level sits in the top history slot.
  EXPECT_EQ(trace->spectrogram_history().At(15, 99), -2);
}

TEST_F(TraceDataTest, SpectrogramAgesOnePerSweep) {
  Feed(Block(1, 0, Dbm({-1})));
  Feed(Block(1, 0, Dbm({-2})));
  Feed(Block(1, 0, Dbm({-3})));
  const SpectrogramHistory& h = trace->spectrogram_history();
  EXPECT_EQ(h.At(0, 0), -3);
  EXPECT_EQ(h.At(0, 1), -2);
  EXPECT_EQ(h.At(0, 2), -1);
  std::vector<int16_t> row(kHistoryDepth);
  h.CopyPoint(0, row.data());
  EXPECT_EQ(row[1], -2);
  trace->ClearSpectrogramHistory();  // reference 0: -110 dB
  EXPECT_EQ(h.At(0, 0), -110);
  EXPECT_EQ(h.At(0, 99), -110);
  EXPECT_EQ(h.At(1, 0), 0);  // beyond N
}

TEST_F(TraceDataTest, MarkersTrackLevelsFrequencyAndBandPower) {
  Feed(Block(5, 0, Dbm({0, 0, 0, 0, 0})));
  MarkerRecord& m = trace->markers[0];
  m.a_placed = m.b_placed = 1;
  m.a_x = 1060;  // right edge: last point, higher frequency
  m.a_point = 3;
  m.b_x = 60;
  m.b_point = 1;
  Feed(Block(5, 0, Dbm({-5, -6, -7, -8, -9})));
  EXPECT_EQ(m.a_level, -8.0f);
  EXPECT_EQ(m.b_level, -6.0f);
  // Each end reports the frequency of the point it sits on.
  EXPECT_FLOAT_EQ(m.a_frequency, 2400.15f);
  EXPECT_FLOAT_EQ(m.b_frequency, 2400.05f);
  // With A above B the band still runs from point 1 to point 3.
  const float expected = static_cast<float>(std::pow(10.0, -0.6)) +
                         static_cast<float>(std::pow(10.0, -0.7)) +
                         static_cast<float>(std::pow(10.0, -0.8));
  EXPECT_FLOAT_EQ(m.band_sum, expected);
  EXPECT_FLOAT_EQ(m.band_power, 10.0f * std::log10(expected));
}

// Fractional levels as the Receiver sends them, in two blocks, read to 1/16 dB everywhere:
// marker levels and delta, band, channel and sweep power, peak search, the export; whole dBm
// (spectrogram, histogram test, capture) rounded to nearest, halves away from zero.
TEST_F(TraceDataTest, ReadingsKeepSixteenthsAndWholeDbmIsRounded) {
  const std::vector<int16_t> s = {-1677, -1665, -8, -24, 8, -1600, 9, -1700};
  const auto power = [](int16_t sixteenths) {
    return static_cast<float>(std::pow(10.0, sixteenths / 160.0));
  };
  const GraphGeometry g({0, 0, 1167, 800}, 8);
  owner.threshold = -1;
  MarkerRecord& m = trace->markers[0];
  m.a_placed = m.b_placed = 1;
  m.a_point = 0;
  m.b_point = 5;
  m.a_x = g.X(0);
  m.b_x = g.X(5);
  for (int sweep = 0; sweep < 2; ++sweep) {
    ASSERT_TRUE(Feed(Block(8, 0, {s.begin(), s.begin() + 4})));
    ASSERT_TRUE(Feed(Block(8, 4, {s.begin() + 4, s.end()})));
  }

  EXPECT_EQ(m.a_level, -104.8125f);
  EXPECT_EQ(DbmText(m.a_level), "-104.81 dBm");
  EXPECT_EQ(m.b_level, -100.0f);
  EXPECT_EQ(DeltaLevelText(double(m.b_level) - m.a_level), "4.81 dB;");
  float band = 0;
  for (int i = 0; i <= 5; ++i) band += power(s[i]);
  EXPECT_EQ(m.band_sum, band);
  EXPECT_EQ(m.band_power, static_cast<float>(10 * std::log10(double(band))));
  double channel = 0;
  for (int i = 1; i <= 6; ++i) channel += power(s[i]);
  EXPECT_EQ(trace->BandPower(kLiveTraceSelector, g.X(6), g.X(1), g), 10 * std::log10(channel));
  float sweep_sum = 0;
  for (const int16_t level : s) sweep_sum += power(level);
  ASSERT_TRUE(Feed(Block(8, 0, {-1600})));  // closes the second sweep
  EXPECT_EQ(trace->sweep_power, static_cast<float>(10 * std::log10(double(sweep_sum))));

  // 9/16 dBm beats 8/16 dBm, which whole dBm (either way) would take for equal.
  EXPECT_EQ(HighestPoint(trace->live_sixteenths.data(), 8), std::optional<int32_t>(6));
  EXPECT_EQ(NextPeak(trace->live_sixteenths.data(), 8, 6), std::optional<int32_t>(4));

  EXPECT_EQ(std::vector<int16_t>(trace->live_levels.begin() + 1, trace->live_levels.begin() + 8),
            (std::vector<int16_t>{-104, -1, -2, 1, -100, 1, -106}));
  EXPECT_EQ(trace->spectrogram_history().At(0, 1), -105);
  // Threshold -1 dBm: -8/16 reaches it, -24/16 does not (truncated, it counted as -1).
  EXPECT_EQ(trace->histogram_counts[2], 2);
  EXPECT_EQ(trace->histogram_counts[3], 0);

  EXPECT_EQ(TraceCsv(48000, 1, 8, VisibleTraceColumns(*trace, DisplayState{}, g)),
            "Frequency (Hz),Live (dBm)\n"
            "2400000000,-100\n2400050000,-104.0625\n2400100000,-0.5\n2400150000,-1.5\n"
            "2400200000,0.5\n2400250000,-100\n2400300000,0.5625\n2400350000,-106.25\n");

  // A capture stores the rounded whole dBm, and reads back as exactly those.
  Feed(Block(8, 0, s));
  const CaptureSweep capture = CaptureOfTrace(*trace);
  const Bytes entry = BuildCaptureEntry(0, LogClock{}, "", capture);
  ASSERT_EQ(entry.size(), kCaptureEntryFixedSize + 16);
  EXPECT_EQ(Bytes(entry.begin() + kCaptureEntryFixedSize, entry.end()),
            (Bytes{0x97, 0xFF, 0x98, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x01, 0x00, 0x9C, 0xFF, 0x01,
                   0x00, 0x96, 0xFF}));
  ASSERT_TRUE(trace->LoadLoggedSweep(entry.data() + kCaptureSweepOffset, 18, capture.levels.data(),
                                     8, kPlot));
  EXPECT_EQ(trace->live_sixteenths[0], -105 * 16);
  EXPECT_EQ(trace->live_y[0], 110);  // 5 + 105 on this plot's pixel per dB
}

TEST_F(TraceDataTest, BandPowerScalesByResolutionBandwidthAndIgnoresOrder) {
  SweepHeader h;
  h.start = 48000;
  h.points = 11;
  h.block_frequency = 48000;
  const std::vector<int16_t> zero_dbm(11, 0);
  for (uint16_t rbw : {1600, 800, 267, 160, 80, 1234}) {
    h.rbw_code = rbw;
    const Bytes m = BuildSweepBlock(h, zero_dbm.data(), 11);
    Feed(m);
    SCOPED_TRACE(rbw);
    // Width 1000 over 10 point steps: x = 60 + 100 * i is point i; ten points of 1 mW.
    const double forward = trace->BandPower(kLiveTraceSelector, 60, 960, kWide);
    EXPECT_EQ(forward, trace->BandPower(kLiveTraceSelector, 960, 60, kWide));
    const double factor = rbw == 800 ? 2 : rbw == 267 ? 6 : rbw == 160 ? 10 : rbw == 80 ? 20 : 1;
    EXPECT_NEAR(forward, 10 * std::log10(10.0 / factor), 1e-9);
  }
  EXPECT_NEAR(trace->BandPower(0, 60, 1060, kWide), 10 * std::log10(11.0), 1e-9);  // frozen live 0
  EXPECT_EQ(trace->BandPower(7, 60, 960, kWide), -std::numeric_limits<double>::infinity());
  // Outside the plot and a zero width stay on the array.
  EXPECT_NEAR(trace->BandPower(kLiveTraceSelector, -500, 5000, kWide), 10 * std::log10(11.0), 1e-9);
  EXPECT_NEAR(trace->BandPower(kLiveTraceSelector, 100, 900, GraphGeometry({0, 0, 0, 800}, 11)), 0.0,
              1e-9);
}

TEST_F(TraceDataTest, BinAverageOverWholeSweepGivesOnePoint) {
  Feed(Block(4, 0, Dbm({-10, -20, -30, -41})));
  trace->StartBinAverage(4);
  EXPECT_EQ(trace->bin_average_on, 1);
  EXPECT_EQ(trace->bin_average_y[0], -90);
  trace->bin_average_y[1] = 777;
  trace->frozen_bin_average[2].frozen = 1;
  trace->ComputeBinAverage(4, kPlot);
  EXPECT_EQ(trace->bin_average_y[0], 30);  // mean -25 (-101 / 4 toward zero)
  EXPECT_EQ(trace->bin_average_y[1], 777);
  EXPECT_EQ(trace->frozen_bin_average[0].y[0], 30);
  EXPECT_EQ(trace->frozen_bin_average[2].y[0], 0);
  trace->ComputeBinAverage(2, kPlot);
  EXPECT_EQ(trace->bin_average_y[2], 40);  // (-30 - 41) / 2 = -35
}

TEST_F(TraceDataTest, BinCountIsKeptWithinOneAndN) {
  Feed(Block(3, 0, Dbm({-10, -20, -30})));
  trace->bin_average_y.fill(777);
  trace->ComputeBinAverage(50, kPlot);  // as W = 3
  EXPECT_EQ(trace->bin_average_y[0], 25);
  EXPECT_EQ(trace->bin_average_y[1], 777);
  trace->ComputeBinAverage(0, kPlot);  // as W = 1
  EXPECT_EQ(trace->bin_average_y[2], 35);
}

TEST_F(TraceDataTest, ResetClearsFlagsAndKeepsTraces) {
  Feed(Block(3, 0, Dbm({-10, -20, -30})));
  trace->StartTraceAverage(3);
  trace->StartBinAverage(1);
  trace->peaks[0].live = trace->peaks[0].hidden = 1;
  trace->frozen_live[1].frozen = 1;
  trace->markers[2].a_placed = trace->markers[2].hidden = 1;
  trace->ResetTraces();
  EXPECT_EQ(trace->trace_average_on, 0);
  EXPECT_EQ(trace->bin_average_on, 0);
  EXPECT_EQ(trace->average_count, 0);
  EXPECT_EQ(trace->peaks[0].live, 0);
  EXPECT_EQ(trace->peaks[0].hidden, 0);
  EXPECT_EQ(trace->frozen_live[1].frozen, 0);
  EXPECT_EQ(trace->markers[2].a_placed, 0);
  EXPECT_EQ(trace->markers[2].hidden, 1);
  EXPECT_EQ(trace->histogram_counts[0], 0);
  EXPECT_EQ(trace->header.points, 0u);
  EXPECT_EQ(trace->points_received, 0u);
  EXPECT_EQ(trace->live_levels[1], -20);
  EXPECT_EQ(trace->sweep_counter, 0);  // restarts with the histogram counts it divides
  EXPECT_EQ(trace->spectrogram_history().At(14999, 50), -91);
}

TEST_F(TraceDataTest, MarkersComeBackAfterAResetOnlyOnTheSameSetting) {
  Feed(Block(3, 0, Dbm({-10, -20, -30})));
  MarkerRecord& m = trace->markers[1];
  m.a_placed = m.b_placed = 1;
  m.a_point = 0;
  m.b_point = 2;
  // A reconnect: the reset, a second one before any sweep, then the same setting again.
  trace->ResetTraces();
  trace->ResetTraces();
  EXPECT_EQ(m.a_placed, 0);
  Feed(Block(3, 0, Dbm({-11, -21, -31})));
  EXPECT_EQ(m.a_placed, 1);
  EXPECT_EQ(m.b_placed, 1);
  EXPECT_FLOAT_EQ(m.a_level, -11);
  EXPECT_FLOAT_EQ(m.b_level, -31);
  // Another setting (four points) leaves them off, and a later return to the old one too.
  trace->ResetTraces();
  Feed(Block(4, 0, Dbm({-10, -20, -30, -40})));
  EXPECT_EQ(m.a_placed, 0);
  trace->ResetTraces();
  Feed(Block(3, 0, Dbm({-10, -20, -30})));
  EXPECT_EQ(m.a_placed, 0);
  EXPECT_EQ(trace->markers[0].a_placed, 0);
}

TEST_F(TraceDataTest, LoggedSweepReplacesOnlyTheLiveTrace) {
  trace->StartTraceAverage(2);
  Feed(Block(3, 0, Dbm({-50, -50, -50})));
  const int16_t average_before = trace->average_sixteenths[0];
  // start 48000, N 3, RBW 800, reference -20, status 2, sweep power -12.5 dBm.
  const uint8_t header[18] = {0x06, 0x80, 0xBB, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                              0x20, 0x03, 0xEC, 0xFF, 0x02, 0x00, 0x00, 0x48, 0xC1};
  const std::vector<int16_t> levels = {-25, -30, -35};
  ASSERT_TRUE(trace->LoadLoggedSweep(header, sizeof header, levels.data(), 3, kPlot));
  EXPECT_EQ(trace->sweep_power, -12.5f);
  EXPECT_EQ(trace->header.start, 48000u);
  EXPECT_EQ(trace->header.rbw_code, 800);
  EXPECT_EQ(trace->header.reference_level, -20);
  EXPECT_EQ(trace->header.status, 2);
  EXPECT_EQ(trace->header.sweep_word, 1);
  EXPECT_EQ(trace->points_received, 3u);
  EXPECT_EQ(trace->live_levels[2], -35);
  EXPECT_EQ(trace->live_y[2], 20);
  // The average keeps its level and is drawn on the logged sweep's reference.
  EXPECT_EQ(trace->average_sixteenths[0], average_before);
  EXPECT_EQ(trace->average_y[0], 35);
  EXPECT_FALSE(trace->LoadLoggedSweep(header, 17, levels.data(), 3, kPlot));
}

TEST_F(TraceDataTest, BandListStoresPairsAndReportsPresetBands) {
  const uint8_t message[] = {0x08, 0x03,                                       //
                             0x80, 0x46, 0x00, 0x00, 0x00, 0x4B, 0x00, 0x00,   // 18048
                             0x00, 0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00,   // 4096
                             0x80, 0xBB, 0x00, 0x00, 0x84, 0xBD, 0x00, 0x00};  // 48000
  ReceiverIdentity identity;
  EXPECT_TRUE(trace->ReadBandList(message, sizeof message, identity));
  EXPECT_EQ(identity.band_count, 3);
  EXPECT_EQ(identity.bands[0], (BandRange{18048, 19200}));
  EXPECT_EQ(identity.bands[2], (BandRange{48000, 48516}));
  EXPECT_EQ(owner.preset_starts, std::vector<uint32_t>({18048, 48000}));
  // A shorter list clears what the longer one left.
  const uint8_t empty[] = {0x08, 0x00};
  EXPECT_TRUE(trace->ReadBandList(empty, sizeof empty, identity));
  EXPECT_EQ(identity.band_count, 0);
  EXPECT_EQ(identity.bands[0], BandRange{});
}

TEST(ReceiverIdentityTest, BandListKeepsOnlyPairsPresentAndAtMostOneHundred) {
  ReceiverIdentity identity;
  std::vector<uint8_t> message = {0x08, 0xFF};
  for (int i = 0; i < 150; ++i) {
    for (uint8_t b : {static_cast<uint8_t>(i + 1), uint8_t{0}, uint8_t{0}, uint8_t{0}}) {
      message.push_back(b);
    }
    for (int b = 0; b < 4; ++b) message.push_back(0);
  }
  identity.StoreBandList(message.data(), message.size());
  EXPECT_EQ(identity.band_count, 100);
  EXPECT_EQ(identity.bands[99].start, 100u);
  identity.StoreBandList(message.data(), 2 + 8 * 2 + 4);
  EXPECT_EQ(identity.band_count, 2);  // 255 claimed, two whole pairs present
  EXPECT_EQ(identity.bands[2], BandRange{});
  identity.StoreBandList(message.data(), 1);
  EXPECT_EQ(identity.band_count, 0);
}

TEST(ReceiverIdentityTest, RawFieldsAreCutAndZeroPadded) {
  ReceiverIdentity identity;
  const std::vector<uint8_t> long_text(40, 'v');
  identity.StoreFirmware(long_text.data(), long_text.size());
  EXPECT_EQ(identity.firmware[31], 'v');
  const uint8_t short_text[] = {'1', '.', '0'};
  identity.StoreFirmware(short_text, 3);
  EXPECT_EQ(identity.firmware[2], '0');
  EXPECT_EQ(identity.firmware[3], 0);
  identity.StoreSerial(long_text.data(), 6);
  EXPECT_EQ(identity.serial[5], 'v');
  EXPECT_EQ(identity.serial[6], 0);
}

// The legend's power is the sweep shown's as soon as its last point is in: a replay that jumps
// (traces reset in the middle of a sweep) and waits there shows no next sweep to close it, and
// the sweep cut off by the jump is no part of it.
TEST(TraceSweepPowerTest, IsTheCompletedSweepsOwnAtItsLastPoint) {
  TraceData trace;
  ReceiverIdentity identity;
  TraceSweepProcessor sweeps(trace, identity, [] { return PlotRect{0, 0, 1060, 105}; });
  const auto block = [&](uint32_t first, int16_t dbm) {
    SweepHeader h;
    h.start = 48000;
    h.points = 4;
    h.block_frequency = 48000 + first;
    const int16_t levels[2] = {static_cast<int16_t>(dbm * 16), static_cast<int16_t>(dbm * 16)};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    sweeps.ProcessSweepBlock(message.data(), message.size());
  };
  block(0, -40);  // half a sweep, then the jump
  trace.ResetTraces();
  block(0, -80);
  block(2, -80);
  EXPECT_NEAR(trace.sweep_power, -73.98, 0.01);  // four points at -80 dBm
  EXPECT_EQ(SweepPowerText(trace.sweep_power), "Power: -73.98 dBm");
  block(0, -50);  // the next sweep's first block closes the same sweep again
  EXPECT_NEAR(trace.sweep_power, -73.98, 0.01);
}

}  // namespace
}  // namespace qv
