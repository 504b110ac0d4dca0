#include "core/display/marker_arming.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

int ArmedEnds(const MarkerArray& markers) {
  int armed = 0;
  for (const MarkerRecord& record : markers) armed += record.a_enabled + record.b_enabled;
  return armed;
}

TEST(MarkerArmingTest, ExactlyOneEndIsArmed) {
  MarkerArray markers{};
  int32_t current = 0;
  ArmMarkerEnd(markers, current, 1, MarkerEnd::kB);
  EXPECT_EQ(current, 1);
  EXPECT_EQ(markers[0].b_enabled, 1);

  // Marker 1 was the last one used; arming marker 2's A still disarms its B.
  ArmMarkerEnd(markers, current, 2, MarkerEnd::kA);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(markers[0].b_enabled, 0);
  EXPECT_EQ(markers[1].a_enabled, 1);
  EXPECT_EQ(ArmedEnds(markers), 1);

  ArmMarkerEnd(markers, current, 2, MarkerEnd::kB);
  EXPECT_EQ(markers[1].a_enabled, 0);
  EXPECT_EQ(markers[1].b_enabled, 1);
  EXPECT_EQ(ArmedEnds(markers), 1);

  // Out-of-range numbers leave both the choice and the armed end alone.
  ArmMarkerEnd(markers, current, 0, MarkerEnd::kA);
  ArmMarkerEnd(markers, current, 4, MarkerEnd::kA);
  EXPECT_EQ(current, 2);
  EXPECT_EQ(markers[1].b_enabled, 1);
  EXPECT_EQ(ArmedEnds(markers), 1);
}

TEST(MarkerArmingTest, ClearForgetsPlacementOnly) {
  MarkerArray markers{};
  for (MarkerRecord& record : markers) {
    record.a_placed = record.b_placed = 1;
    record.a_x = 120;
  }
  markers[1].hidden = 1;
  markers[1].b_enabled = 1;

  ClearMarker(markers, 2);
  EXPECT_EQ(markers[1].a_placed, 0);
  EXPECT_EQ(markers[1].b_placed, 0);
  EXPECT_EQ(markers[1].hidden, 1);
  EXPECT_EQ(markers[1].b_enabled, 1);
  EXPECT_EQ(markers[0].a_placed, 1);
  EXPECT_EQ(markers[2].b_placed, 1);

  ClearAllMarkers(markers);
  for (const MarkerRecord& record : markers) {
    EXPECT_EQ(record.a_placed + record.b_placed, 0);
    EXPECT_EQ(record.a_x, 120);  // the position stays for the next placement to overwrite
  }
}

TEST(MarkerArmingTest, HideAllTwiceShowsEverythingWhateverTheSingleTogglesDid) {
  MarkerArray markers{};
  uint8_t hide_all = 0;
  ToggleMarkerHidden(markers, 3);
  ToggleHideAll(markers, hide_all);
  for (const MarkerRecord& record : markers) EXPECT_EQ(record.hidden, 1);

  ToggleMarkerHidden(markers, 1);  // shown again by hand
  ToggleMarkerHidden(markers, 2);
  ToggleMarkerHidden(markers, 2);
  ToggleHideAll(markers, hide_all);
  EXPECT_EQ(hide_all, 0);
  for (const MarkerRecord& record : markers) EXPECT_EQ(record.hidden, 0);
}

}  // namespace
}  // namespace qv
