#include "gui/display/markers_page.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <memory>

#include "core/app/manual_clock.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"

namespace qv {
namespace {

class MarkersPageTest : public ::testing::Test {
 protected:
  void Press(const QString& caption) {
    QPushButton* button = page_.Button(caption);
    ASSERT_NE(button, nullptr) << caption.toStdString();
    button->click();
  }
  const MarkerRecord& Marker(int number) const { return trace_->markers[number - 1]; }

  ManualClock clock_;
  std::unique_ptr<TraceData> trace_ = std::make_unique<TraceData>();
  DisplayState state_;
  CMarkers page_{*trace_, state_, clock_};
};

TEST_F(MarkersPageTest, EachEndButtonChoosesTheMarkerAndArmsOnlyThatEnd) {
  EXPECT_EQ(page_.Title(), QStringLiteral("Markers"));
  QSignalSpy changed(&page_, &CMarkers::MarkersChanged);

  Press("1 B");
  EXPECT_EQ(state_.current_marker, 1);
  EXPECT_EQ(Marker(1).b_enabled, 1);
  Press("2 A");
  EXPECT_EQ(state_.current_marker, 2);
  EXPECT_EQ(Marker(1).b_enabled, 0);
  EXPECT_EQ(Marker(2).a_enabled, 1);
  Press("3 B");
  EXPECT_EQ(state_.current_marker, 3);
  int armed = 0;
  for (int m = 1; m <= 3; ++m) armed += Marker(m).a_enabled + Marker(m).b_enabled;
  EXPECT_EQ(armed, 1);
  EXPECT_EQ(Marker(3).b_enabled, 1);
  EXPECT_EQ(changed.count(), 3);
}

TEST_F(MarkersPageTest, HideAllTwiceShowsAllWhateverTheSingleHideButtonsDid) {
  Press("Hide 2");
  EXPECT_EQ(Marker(2).hidden, 1);
  Press("Hide All");
  EXPECT_EQ(page_.HideAll(), 1);
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(Marker(m).hidden, 1);
  Press("Hide 1");
  Press("Hide 3");
  Press("Hide 3");
  Press("Hide All");
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(Marker(m).hidden, 0);
}

TEST_F(MarkersPageTest, ClearButtonsDropPlacementOnly) {
  for (MarkerRecord& record : trace_->markers) record.a_placed = record.b_placed = 1;
  Press("1 A");
  Press("Hide 3");
  Press("Clear 3");
  EXPECT_EQ(Marker(3).a_placed + Marker(3).b_placed, 0);
  EXPECT_EQ(Marker(3).hidden, 1);
  EXPECT_EQ(Marker(2).a_placed, 1);
  Press("Clear All");
  for (int m = 1; m <= 3; ++m) EXPECT_EQ(Marker(m).a_placed + Marker(m).b_placed, 0);
  EXPECT_EQ(Marker(1).a_enabled, 1);
  EXPECT_EQ(state_.current_marker, 1);
}

}  // namespace
}  // namespace qv
