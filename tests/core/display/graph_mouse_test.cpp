#include "core/display/graph_mouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/display/fake_trace_owner.h"
#include "core/display/trace_data.h"

namespace qv {
namespace {

// A 1167 x 800 graph: the plot is 1000 pixels wide (60 ... 1060) and 600 high (5 ... 605).
const GraphRect kArea{0, 0, 1167, 800};
constexpr MouseSweep kSweep{48000, 1};

class GraphMouseTest : public ::testing::Test {
 protected:
  GraphMouseTest() { state.current_marker = 2; }

  MarkerRecord& Marker() { return markers[1]; }

  DisplayState state;
  std::array<MarkerRecord, kMarkerCount> markers{};
};

// At every size the x axis spans start to stop: each point is drawn inside the plot, every
// reading under a drawn point is that point, and each grid line lies where its level and its
// frequency are drawn.
TEST(GraphGeometryTest, GridPointsAndReadingsAgreeAtEverySize) {
  for (const GraphRect area : {GraphRect{0, 0, 800, 600}, GraphRect{0, 0, 1280, 800},
                               GraphRect{0, 0, 1600, 1000}, GraphRect{0, 0, 1001, 777},
                               GraphRect{0, 0, 1167, 800}}) {
    for (int32_t n : {1, 2, 11, 1000, 1001, 15000}) {
      SCOPED_TRACE(std::to_string(area.right) + " wide, " + std::to_string(n) + " points");
      const GraphGeometry g(area, n);
      EXPECT_GE(g.X(0), g.GridX(0));
      EXPECT_LT(g.X(n - 1), g.GridX(10));
      for (int32_t j = 0; j < n; ++j) {
        // Where points share a column, the one found is drawn in that column.
        ASSERT_EQ(g.X(g.PointAtX(g.X(j))), g.X(j)) << "point " << j;
        if (j > 0) { ASSERT_LE(g.X(j - 1), g.X(j)); }
      }
      for (int32_t x = g.GridX(0); x <= g.GridX(10); ++x) {
        // No other point is drawn nearer to x than the one read there.
        const int32_t found = std::abs(g.X(g.PointAtX(x)) - x);
        for (int32_t j : {g.PointAtX(x) - 1, g.PointAtX(x) + 1}) {
          if (j >= 0 && j < n) { ASSERT_LE(found, std::abs(g.X(j) - x)) << "x " << x; }
        }
      }
      EXPECT_EQ(g.PointAtX(g.GridX(10)), n - 1);
      EXPECT_TRUE(g.Contains(g.GridX(10), g.GridY(10)));
      EXPECT_FALSE(g.Contains(g.GridX(10) + 1, 100));
      EXPECT_FALSE(g.Contains(100, g.GridY(10) + 1));
      for (int32_t line = 0; line <= 10; ++line) {
        // The grid row of reference - 10 j dBm is the row trace processing draws it on.
        EXPECT_EQ(g.GridY(line), LevelToY(-30, -30 - 10 * line, ScaleSpan(g.LevelPlot())));
        // A selection reads each line's frequency there (where it is a whole step, else the
        // roundest step beside it): from line 2 to line 4 of 2400 ... 2450 MHz is 2410 ... 2420.
        const double on_line = AxisFrequencyAt(g, 48000, 1, g.GridX(line));
        if (n * line % 10 == 0) {
          EXPECT_DOUBLE_EQ(on_line, GridFrequency(48000, 1, n, line));
        } else {
          EXPECT_NEAR(on_line, GridFrequency(48000, 1, n, line), 0.05 * n / g.Width() + 1e-9);
        }
        // The points either side of the line's frequency are drawn either side of the line.
        if (n == 1000 && line > 0 && line < 10) {
          EXPECT_DOUBLE_EQ(GridFrequency(48000, 1, n, line), 2400 + 5 * line);
          EXPECT_LE(g.X(100 * line - 1), g.GridX(line));
          EXPECT_GE(g.X(100 * line), g.GridX(line));
        }
      }
    }
  }
}

// A marker on the last drawn point of 2400 ... 2450 MHz reports that point's frequency and level,
// and the read-out under the pointer at the same place agrees.
TEST_F(GraphMouseTest, MarkerReadOutAndLevelAreThoseOfTheDrawnPoint) {
  for (const GraphRect area : {GraphRect{0, 0, 1280, 800}, GraphRect{0, 0, 1920, 1080}}) {
    const GraphGeometry g(area, 1000);
    testing::FakeTraceOwner owner;
    auto trace = std::make_unique<TraceData>(&owner);
    trace->markers = markers;
    trace->markers[1].a_enabled = 1;
    MouseLeftDown(state, trace->markers, kSweep, g, g.X(999), 100);
    trace->markers[1].a_enabled = 0;
    trace->markers[1].b_enabled = 1;
    MouseLeftDown(state, trace->markers, kSweep, g, g.X(0), 100);
    MouseMove(state, kSweep, g, g.X(999), 100, false);

    SweepHeader h;
    h.start = 48000;
    h.points = 1000;
    h.block_frequency = 48000;
    std::vector<int16_t> samples(1000, -90 * 16);
    samples[999] = -40 * 16;
    samples[0] = -55 * 16;
    const Bytes block = BuildSweepBlock(h, samples.data(), 1000);
    ASSERT_TRUE(trace->ProcessSweepBlock(block.data(), block.size(), g.LevelPlot()));
    const MarkerRecord& m = trace->markers[1];
    EXPECT_EQ(m.a_point, 999);
    EXPECT_FLOAT_EQ(m.a_frequency, 2449.95f);
    EXPECT_FLOAT_EQ(m.a_level, -40.0f);
    EXPECT_FLOAT_EQ(m.b_frequency, 2400.0f);
    EXPECT_FLOAT_EQ(m.b_level, -55.0f);
    // The pair spans the whole trace: its power is there as soon as the last point is.
    EXPECT_NEAR(m.band_power, 10 * std::log10(998e-9 + 1e-4 + std::pow(10.0, -5.5)), 0.01);
    EXPECT_NEAR(FrequencyUnder(g, kSweep, state.mouse_x), 2449.95, 1e-9);
  }
}

TEST_F(GraphMouseTest, ClickPlacesTheArmedEndsOfTheCurrentMarkerOnlyInsideThePlot) {
  const GraphGeometry g(kArea, 1001);
  std::vector<int16_t> sixteenths(1001, -80 * 16);
  sixteenths[470] = -593;
  Marker().b_enabled = 1;
  // No sweep follows: the click alone gives the end its point's frequency and level.
  MouseLeftDown(state, markers, MouseSweep{48000, 1, sixteenths.data()}, g, 530, 100);
  EXPECT_EQ(Marker().b_placed, 1);
  EXPECT_EQ(Marker().b_x, 530);
  EXPECT_EQ(Marker().b_point, 470);  // 1001 points over 1000 pixels
  EXPECT_FLOAT_EQ(Marker().b_frequency, 2423.5f);
  EXPECT_FLOAT_EQ(Marker().b_level, -37.0625f);
  EXPECT_EQ(Marker().a_placed, 0);
  EXPECT_EQ(markers[0].b_placed + markers[2].b_placed, 0);

  Marker().a_enabled = 1;  // both armed: one click sets both
  MouseLeftDown(state, markers, kSweep, g, 260, 100);
  EXPECT_EQ(Marker().a_point, 200);
  EXPECT_EQ(Marker().b_point, 200);

  Marker() = MarkerRecord{};
  Marker().a_enabled = 1;
  // The left margin, above the top line, below the bottom line, right of the plot.
  for (auto [x, y] : {std::pair{59, 100}, std::pair{0, 300}, std::pair{300, 4},
                      std::pair{300, 606}, std::pair{300, 799}, std::pair{1061, 100}}) {
    MouseLeftDown(state, markers, kSweep, g, x, y);
    EXPECT_EQ(Marker().a_placed, 0) << x << "," << y;
  }
  MouseLeftDown(state, markers, kSweep, g, 60, 605);  // the edges themselves are inside
  EXPECT_EQ(Marker().a_placed, 1);
  EXPECT_EQ(Marker().a_point, 0);

  // No current marker places nothing.
  state.current_marker = 0;
  for (MarkerRecord& m : markers) m = MarkerRecord{.a_enabled = 1};
  MouseLeftDown(state, markers, kSweep, g, 300, 100);
  for (const MarkerRecord& m : markers) EXPECT_EQ(m.a_placed, 0);
}

TEST_F(GraphMouseTest, SelectionDragAndPointerTracking) {
  const GraphGeometry g(kArea, 1000);  // a step a pixel
  MouseMove(state, kSweep, g, 400, 200, true);  // not in selection mode
  EXPECT_FALSE(state.area_selected);
  EXPECT_TRUE(state.mouse_inside);
  EXPECT_EQ(state.mouse_x, 400);

  state.selection_mode = true;
  Marker().a_enabled = 1;
  MouseLeftDown(state, markers, kSweep, g, 260, 120);
  EXPECT_EQ(Marker().a_placed, 0);  // selection mode places no markers
  EXPECT_FALSE(state.area_selected);
  EXPECT_EQ(state.selection.start_x, 260);
  EXPECT_FLOAT_EQ(state.selection.start_frequency, 2410.0f);
  MouseMove(state, kSweep, g, 410, 210, false);  // e.g. left button with shift
  EXPECT_FALSE(state.area_selected);
  MouseMove(state, kSweep, g, 660, 300, true);
  EXPECT_TRUE(state.area_selected);
  EXPECT_EQ(state.selection.end_x, 660);
  EXPECT_EQ(state.selection.end_y, 300);
  EXPECT_FLOAT_EQ(state.selection.end_frequency, 2430.0f);
  // Outside the plot even a drag keeps the last position inside, and the read-out goes.
  MouseMove(state, kSweep, g, 30, 210, true);
  EXPECT_EQ(state.mouse_x, 660);
  EXPECT_EQ(state.selection.end_x, 660);
  EXPECT_FALSE(state.mouse_inside);

  // A graph with no plot width maps everything to the start without dividing by zero.
  const GraphGeometry tiny({0, 0, 6, 800}, 1001);
  MouseLeftDown(state, markers, kSweep, tiny, 60, 100);
  EXPECT_FLOAT_EQ(state.selection.start_frequency, 2400.0f);
}

}  // namespace
}  // namespace qv
