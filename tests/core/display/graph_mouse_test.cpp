#include "core/display/graph_mouse.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A 1100 x 800 graph: the mouse rectangle is right 1000, bottom 600.
constexpr PlotRect kArea{0, 0, 1100, 800};
constexpr MouseSweep kSweep{48000, 1001};

class GraphMouseTest : public ::testing::Test {
 protected:
  GraphMouseTest() { state.current_marker = 2; }

  MarkerRecord& Marker() { return markers[1]; }

  DisplayState state;
  std::array<MarkerRecord, kMarkerCount> markers{};
};

TEST_F(GraphMouseTest, ClickPlacesTheArmedEndOfTheCurrentMarker) {
  Marker().b_enabled = 1;
  MouseLeftDown(state, markers, kSweep, kArea, 530, 100);
  EXPECT_EQ(Marker().b_placed, 1);
  EXPECT_EQ(Marker().b_x, 530);
  EXPECT_EQ(Marker().b_point, 500);  // 1000 x 470 / 940
  EXPECT_EQ(Marker().a_placed, 0);
  EXPECT_EQ(markers[0].b_placed, 0);
  EXPECT_EQ(markers[2].b_placed, 0);
}

TEST_F(GraphMouseTest, BothArmedEndsAreSetByOneClick) {
  Marker().a_enabled = 1;
  Marker().b_enabled = 1;
  MouseLeftDown(state, markers, kSweep, kArea, 248, 100);
  EXPECT_EQ(Marker().a_placed, 1);
  EXPECT_EQ(Marker().b_placed, 1);
  EXPECT_EQ(Marker().a_point, 200);
  EXPECT_EQ(Marker().b_point, 200);
  EXPECT_EQ(Marker().a_x, Marker().b_x);
}

TEST_F(GraphMouseTest, ClicksOutsideThePlotPlaceNothing) {
  Marker().a_enabled = 1;
  // The left margin, above the top line, the bottom quarter, right of the mouse rectangle.
  for (auto [x, y] : {std::pair{59, 100}, std::pair{0, 300}, std::pair{300, 4},
                      std::pair{300, 601}, std::pair{300, 799}, std::pair{1061, 100}}) {
    MouseLeftDown(state, markers, kSweep, kArea, x, y);
    EXPECT_EQ(Marker().a_placed, 0) << x << "," << y;
  }
  // The edges themselves are inside.
  MouseLeftDown(state, markers, kSweep, kArea, 60, 600);
  EXPECT_EQ(Marker().a_placed, 1);
  EXPECT_EQ(Marker().a_point, 0);
}

TEST_F(GraphMouseTest, NoCurrentMarkerOrNoArmedEndPlacesNothing) {
  MouseLeftDown(state, markers, kSweep, kArea, 300, 100);
  for (const MarkerRecord& m : markers) EXPECT_EQ(m.a_placed + m.b_placed, 0);
  state.current_marker = 0;
  for (MarkerRecord& m : markers) m.a_enabled = 1;
  MouseLeftDown(state, markers, kSweep, kArea, 300, 100);
  for (const MarkerRecord& m : markers) EXPECT_EQ(m.a_placed, 0);
}

TEST_F(GraphMouseTest, PointStaysWithinTheSweep) {
  // The mouse rectangle reaches 60 pixels past its right edge.
  EXPECT_EQ(MousePointAtX(1060, 1001, 1000), 1000);
  EXPECT_EQ(MousePointAtX(1000, 1001, 1000), 1000);
  // Degenerate sweeps and plots never divide by zero.
  EXPECT_EQ(MousePointAtX(500, 1, 1000), 0);
  EXPECT_EQ(MousePointAtX(500, 0, 1000), 0);
  EXPECT_EQ(MousePointAtX(500, 1001, 60), 0);
  EXPECT_EQ(MousePointAtX(500, 1001, 10), 0);
}

TEST_F(GraphMouseTest, TinyGraphDoesNotDivideByZero) {
  Marker().a_enabled = 1;
  state.selection_mode = true;
  const PlotRect tiny{0, 0, 66, 800};  // mouse right 60: no width
  MouseLeftDown(state, markers, kSweep, tiny, 100, 100);
  MouseMove(state, kSweep, tiny, 110, 100, true);
  EXPECT_FLOAT_EQ(state.selection.start_frequency, 2400.0f);
  EXPECT_FLOAT_EQ(state.selection.end_frequency, 2400.0f);
}

TEST_F(GraphMouseTest, SelectionDragRecordsBothEndsAndTheirFrequencies) {
  state.selection_mode = true;
  Marker().a_enabled = 1;
  MouseLeftDown(state, markers, kSweep, kArea, 248, 120);
  EXPECT_EQ(Marker().a_placed, 0);  // selection mode places no markers
  EXPECT_FALSE(state.area_selected);
  EXPECT_EQ(state.selection.start_x, 248);
  EXPECT_EQ(state.selection.start_y, 120);
  // Point 200 of 1001 from 2400 MHz at 50 kHz a point.
  EXPECT_FLOAT_EQ(state.selection.start_frequency, 2410.0f);

  MouseMove(state, kSweep, kArea, 624, 300, true);
  EXPECT_TRUE(state.area_selected);
  EXPECT_EQ(state.selection.end_x, 624);
  EXPECT_EQ(state.selection.end_y, 300);
  EXPECT_FLOAT_EQ(state.selection.end_frequency, 2430.0f);
  EXPECT_EQ(state.mouse_x, 624);
  EXPECT_EQ(state.mouse_y, 300);
}

TEST_F(GraphMouseTest, MoveWithoutTheLeftButtonAloneOnlyTracksThePointer) {
  MouseMove(state, kSweep, kArea, 400, 200, true);  // not in selection mode
  EXPECT_FALSE(state.area_selected);
  EXPECT_TRUE(state.mouse_inside);
  EXPECT_EQ(state.mouse_x, 400);

  state.selection_mode = true;
  MouseMove(state, kSweep, kArea, 410, 210, false);  // e.g. left button with shift
  EXPECT_FALSE(state.area_selected);
  EXPECT_EQ(state.selection.end_x, 0);
  EXPECT_EQ(state.mouse_x, 410);

  // Outside the plot even a drag keeps the last position inside.
  MouseMove(state, kSweep, kArea, 30, 210, true);
  EXPECT_FALSE(state.area_selected);
  EXPECT_EQ(state.mouse_x, 410);
}

}  // namespace
}  // namespace qv
