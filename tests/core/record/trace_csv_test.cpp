#include "core/record/trace_csv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/display/fake_trace_owner.h"
#include "core/record/log_test_files.h"

namespace qv {
namespace {

// R = 1000, bottom = 600: 600 pixels for 100 dB.
const GraphGeometry kGeometry({0, 0, 1167, 800}, 4);

// One whole sweep of four points from 2400 MHz, 100 kHz apart, reference -20 dBm.
Bytes Sweep(std::vector<int16_t> levels) {
  for (int16_t& level : levels) level = static_cast<int16_t>(level * 16);
  SweepHeader h;
  h.type = kMsgSweep;
  h.start = 48000;
  h.points = 4;
  h.sweep_word = 2;
  h.reference_level = -20;
  h.block_frequency = 48000;
  return BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
}

std::string ExportOf(TraceData& trace, const DisplayState& state) {
  return TraceCsv(trace.header.start, trace.header.sweep_word, trace.StoredPoints(),
                  VisibleTraceColumns(trace, state, kGeometry));
}

TEST(TraceCsvTest, ExportsEveryShownTraceInDbmAndLeavesHiddenOnesOut) {
  testing::FakeTraceOwner owner;
  auto trace = std::make_unique<TraceData>(&owner);
  DisplayState state;
  // Before any sweep: the header of the live trace and no rows.
  EXPECT_EQ(ExportOf(*trace, state), "Frequency (Hz),Live (dBm)\n");

  const PlotRect plot = kGeometry.LevelPlot();
  const Bytes first = Sweep({-50, -40, -60, -70});
  ASSERT_TRUE(trace->ProcessSweepBlock(first.data(), first.size(), plot));
  trace->StartPeakTrace(0);
  trace->peaks[0].live = 1;
  trace->StartTraceAverage(2);
  trace->frozen_live[1].frozen = 1;  // keeps the first sweep
  trace->frozen_average[0].frozen = 1;
  trace->frozen_average[0].hidden = 1;
  const Bytes second = Sweep({-55, -30, -65, -70});
  ASSERT_TRUE(trace->ProcessSweepBlock(second.data(), second.size(), plot));
  // A bin average of two: value i is drawn at point i, and the last point has none. Its means
  // (-42.5 ...) lie between two rows and read back as the lower level.
  state.bin_count = 2;
  trace->StartBinAverage(2);
  trace->ComputeBinAverage(2, plot);

  EXPECT_EQ(ExportOf(*trace, state),
            "Frequency (Hz),Live (dBm),Frozen Live 2 (dBm),Peak 1 (dBm),Average (dBm),"
            "Bin Average (dBm)\n"
            "2400000000,-55,-50,-50,-55,-43\n"
            "2400100000,-30,-40,-30,-30,-48\n"
            "2400200000,-65,-60,-60,-65,-68\n"
            "2400300000,-70,-70,-70,-70,\n");

  state.live_shown = false;
  state.average_hidden = true;
  trace->peaks[0].hidden = 1;
  EXPECT_EQ(ExportOf(*trace, state),
            "Frequency (Hz),Frozen Live 2 (dBm),Bin Average (dBm)\n"
            "2400000000,-50,-43\n2400100000,-40,-48\n2400200000,-60,-68\n2400300000,-70,\n");
}

TEST(TraceCsvTest, MinHoldKeepsTheLowestLevelUntilFrozenOrReset) {
  testing::FakeTraceOwner owner;
  auto trace = std::make_unique<TraceData>(&owner);
  DisplayState state;
  const PlotRect plot = kGeometry.LevelPlot();
  const auto feed = [&](std::vector<int16_t> levels) {
    const Bytes block = Sweep(std::move(levels));
    ASSERT_TRUE(trace->ProcessSweepBlock(block.data(), block.size(), plot));
  };
  feed({-50, -40, -60, -70});
  trace->min_hold.live = 1;
  trace->StartMinHold();
  feed({-55, -30, -65, -70});
  // The lowest level is kept, and drawn at the lowest row it reached.
  EXPECT_EQ(trace->min_hold.y[1], LevelToY(-20, -40, ScaleSpan(plot)));
  // The existing columns stay where they were; min hold comes last.
  EXPECT_EQ(ExportOf(*trace, state),
            "Frequency (Hz),Live (dBm),Min Hold (dBm)\n"
            "2400000000,-55,-55\n2400100000,-30,-40\n2400200000,-65,-65\n"
            "2400300000,-70,-70\n");

  trace->min_hold.frozen = 1;
  trace->min_hold.live = 0;
  feed({-90, -90, -90, -90});
  state.live_shown = false;
  EXPECT_EQ(ExportOf(*trace, state),
            "Frequency (Hz),Min Hold (dBm)\n"
            "2400000000,-55\n2400100000,-40\n2400200000,-65\n2400300000,-70\n");
  trace->min_hold.hidden = 1;
  EXPECT_EQ(ExportOf(*trace, state), "Frequency (Hz)\n2400000000\n2400100000\n2400200000\n"
                                     "2400300000\n");

  // A reset switches a frozen hold off, and a running one starts over from the next points:
  // points not seen since have no level.
  trace->ResetTraces();
  EXPECT_EQ(trace->min_hold.frozen, 0);
  EXPECT_EQ(trace->min_hold.hidden, 0);
  trace->min_hold.live = 1;
  trace->ResetTraces();
  feed({-20, -25});
  EXPECT_EQ(trace->MinHoldPoints(), 2);
  EXPECT_EQ(ExportOf(*trace, state),
            "Frequency (Hz),Min Hold (dBm)\n"
            "2400000000,-20\n2400100000,-25\n2400200000,\n2400300000,\n");
}

TEST(TraceCsvTest, RowsReadBackAsTheLevelDrawnThere) {
  for (const int64_t span : {100, 101, 333, 600, 4000}) {
    for (int level = -140; level <= 30; ++level) {
      EXPECT_EQ(LevelAtY(-20, LevelToY(-20, level, span), span), level) << span;
    }
  }
  // Two levels a row on a low plot: the higher one is read.
  EXPECT_EQ(LevelAtY(0, LevelToY(0, -41, 50), 50), -40);
  EXPECT_EQ(LevelAtY(-20, 999, 0), -20);  // a plot with no height reads its reference
}

TEST(TraceCsvTest, ReplacesTheFileWholeOrLeavesItAlone) {
  const TempDir dir;
  const std::string path = dir.File("traces.csv");
  std::string error;
  ASSERT_TRUE(WriteFileReplacing(path, "old\n", &error)) << error;
  ASSERT_TRUE(WriteFileReplacing(path, "a,b\n1,2\n", &error)) << error;
  const std::vector<uint8_t> text = ReadWholeFile(path);
  EXPECT_EQ(std::string(text.begin(), text.end()), "a,b\n1,2\n");

  // A folder in the way: nothing is written, nothing is left beside it, and the reason is said.
  std::filesystem::create_directory(dir.File("taken.csv"));
  EXPECT_FALSE(WriteFileReplacing(dir.File("taken.csv"), "x", &error));
  EXPECT_NE(error.find("taken.csv"), std::string::npos);
  EXPECT_FALSE(WriteFileReplacing(dir.File("missing/traces.csv"), "x", &error));
  EXPECT_NE(error.find("missing/traces.csv"), std::string::npos);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.File(""))) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u);  // traces.csv and the folder
}

}  // namespace
}  // namespace qv
