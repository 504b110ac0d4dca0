#include "core/display/density.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/trace_data.h"
#include "core/display/trace_sweep_processor.h"

namespace qv {
namespace {

// Sweeps fed through the receive path, one a second: each reaches the density view as its last
// point arrives, as the graph wires it.
class DensityTest : public ::testing::Test {
 protected:
  DensityTest() {
    trace->SetResetListener(&density);
    sweeps.SetSweepComplete([this] { density.OnSweep(*trace); });
  }

  void Sweep(std::vector<int16_t> levels, uint32_t start = 48000) {
    for (int16_t& level : levels) level = static_cast<int16_t>(level * 16);
    SweepHeader h;
    h.start = start;
    h.points = static_cast<uint32_t>(levels.size());
    h.block_frequency = start;
    const Bytes block = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
    sweeps.ProcessSweepBlock(block.data(), block.size());
    clock.Advance(1000);
  }

  ManualClock clock;
  DensityRecord density{clock};
  std::unique_ptr<TraceData> trace = std::make_unique<TraceData>();
  ReceiverIdentity identity;
  TraceSweepProcessor sweeps{*trace, identity, [] { return PlotRect{0, 0, 1060, 105}; }};
};

TEST_F(DensityTest, CountsDecayWithThePersistenceAtTheMeasuredRate) {
  density.SetOn(true);
  density.SetPersistence(3);  // at one sweep a second N = 3, k = 1/2
  Sweep({-50, -50, -60, -70});  // counts whole: no rate known yet
  Sweep({-50, -40, -60, -70});
  Sweep({-50, -40, -60, -500});
  EXPECT_DOUBLE_EQ(density.SweepsPerSecond(), 1.0);
  const DensityGrid& grid = density.Grid();
  ASSERT_EQ(grid.Points(), 4);
  // 1, then 1 x 1/2 + 1, then 1.5 x 1/2 + 1.
  EXPECT_EQ(grid.SweepsCounted(), 1.75);
  EXPECT_EQ(grid.Hits(0, -50), 1.75);
  EXPECT_EQ(grid.Hits(1, -50), 0.25);
  EXPECT_EQ(grid.Hits(1, -40), 1.5);
  EXPECT_EQ(grid.Hits(1, -60), 0.0);
  // A level beyond the grid counts in its end row.
  EXPECT_EQ(grid.Hits(3, kDensityLowestLevel), 1.0);
  EXPECT_EQ(grid.Hits(3, -70), 0.75);

  // Colours: a cell hit by every sweep is at the top of the scale, one never hit is not drawn,
  // and a column over two points shows the higher share of each row.
  std::array<uint8_t, kDensityRows> column{};
  grid.ColumnColours(0, 0, column.data());
  EXPECT_EQ(column[DensityGrid::RowOf(-50)], 255);
  EXPECT_EQ(column[DensityGrid::RowOf(-40)], 0);
  grid.ColumnColours(0, 1, column.data());
  EXPECT_EQ(column[DensityGrid::RowOf(-40)], DensityColourIndex(1.5 / 1.75));
  EXPECT_LT(DensityColourIndex(0.25 / 1.75), DensityColourIndex(1.5 / 1.75));
  EXPECT_EQ(DensityColourIndex(0.5e-4), 0);  // below the scale's four decades

  // New settings start the grid over, as does a reset of the traces.
  Sweep({-30, -30}, 50000);
  EXPECT_EQ(grid.Points(), 2);
  EXPECT_EQ(grid.Hits(0, -30), 1.0);
  EXPECT_EQ(grid.SweepsCounted(), 1.0);
  trace->ResetTraces();
  EXPECT_EQ(grid.Points(), 0);

  // Infinite persistence keeps every sweep.
  density.SetPersistence(0);
  EXPECT_TRUE(grid.KeepsEverySweep());
  for (int s = 0; s < 5; ++s) Sweep({-20, static_cast<int16_t>(s % 2 == 0 ? -20 : -21)});
  EXPECT_EQ(grid.SweepsCounted(), 5.0);
  EXPECT_EQ(grid.Hits(0, -20), 5.0);
  EXPECT_EQ(grid.Hits(1, -20), 3.0);
  EXPECT_EQ(grid.Hits(1, -21), 2.0);

  // Off, it keeps nothing and takes nothing.
  density.SetOn(false);
  Sweep({-20, -20});
  EXPECT_EQ(grid.Points(), 0);
}

TEST(DensityGridTest, SteadySweepsSettleAtOneOverKThroughRenormalisation) {
  DensityGrid grid;
  grid.Reset(1);
  const int16_t level = -50 * 16;
  // 2^-100 is far below the point where the scale is folded into the cells.
  for (int s = 0; s < 100; ++s) grid.AddSweep(&level, 1, 0.5);
  EXPECT_NEAR(grid.Hits(0, -50), 2.0, 1e-9);
  EXPECT_NEAR(grid.SweepsCounted(), 2.0, 1e-9);
  const int16_t other = -60 * 16;
  grid.AddSweep(&other, 5, 0.5);  // more levels than points: only the grid's are taken
  EXPECT_NEAR(grid.Hits(0, -50), 1.0, 1e-9);
  EXPECT_NEAR(grid.Hits(0, -60), 1.0, 1e-9);
  grid.AddSweep(&other, 1, 1.0);  // k = 1 keeps only the newest sweep
  EXPECT_EQ(grid.Hits(0, -50), 0.0);
  EXPECT_EQ(grid.SweepsCounted(), 1.0);
}

// A week at 1000 sweeps a second kept whole: every hit still counts (a float stops at 2^24, a
// cell hit by every sweep would read half the sweeps after 9.3 hours). Leaving Infinite keeps
// the counts to decay from then on; choosing it again starts over.
TEST(DensityGridTest, KeepingEverySweepCountsAWeekExactly) {
  constexpr double kWeek = 7 * 24 * 3600 * 1000.0;
  DensityGrid grid;
  grid.SetKeepsEverySweep(true);
  grid.Reset(2);
  grid.FillForTest(-50, kWeek);
  const int16_t same[2] = {-50 * 16, -50 * 16};
  const int16_t apart[2] = {-50 * 16, -60 * 16};
  grid.AddSweep(same, 2, 0);
  grid.AddSweep(apart, 2, 0.5);  // no decay while every sweep is kept
  grid.AddSweep(apart, 2, 0);
  EXPECT_EQ(grid.SweepsCounted(), kWeek + 3);
  EXPECT_EQ(grid.Hits(0, -50), kWeek + 3);
  EXPECT_EQ(grid.Hits(1, -50), kWeek + 1);
  EXPECT_EQ(grid.Hits(1, -60), 2.0);
  std::array<uint8_t, kDensityRows> column{};
  grid.ColumnColours(0, 1, column.data());
  EXPECT_EQ(column[DensityGrid::RowOf(-50)], 255);
  EXPECT_EQ(column[DensityGrid::RowOf(-60)], 0);  // 2 in 6e8 is below the scale

  grid.SetKeepsEverySweep(false);
  grid.AddSweep(same, 2, 0.5);
  EXPECT_EQ(grid.Hits(1, -60), 1.0);
  EXPECT_EQ(grid.SweepsCounted(), (kWeek + 3) / 2 + 1);
  grid.SetKeepsEverySweep(true);
  EXPECT_EQ(grid.Points(), 2);
  EXPECT_EQ(grid.SweepsCounted(), 0.0);
  EXPECT_EQ(grid.Hits(0, -50), 0.0);
}

}  // namespace
}  // namespace qv
