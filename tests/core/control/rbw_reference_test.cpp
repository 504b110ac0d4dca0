#include "core/control/rbw_reference.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(RbwButtons, CodesInButtonOrder) {
  const uint16_t expected[] = {1600, 800, 267, 160, 80};
  for (size_t i = 0; i < kRbwButtons.size(); ++i) {
    EXPECT_EQ(kRbwButtons[i].code, expected[i]) << kRbwButtons[i].caption;
    EXPECT_EQ(RbwCodeForKhz(kRbwButtons[i].khz), expected[i]) << kRbwButtons[i].caption;
  }
  EXPECT_EQ(kRbwButtons[2].caption, "300 KHz");
  EXPECT_EQ(RbwCodeForKhz(0), 0);
}

TEST(ReferenceLevel, IndexLevelAndCaption) {
  EXPECT_EQ(ReferenceLevelDbm(1), -20);
  EXPECT_EQ(ReferenceLevelDbm(6), -70);
  EXPECT_EQ(WholeDbmText(ReferenceLevelDbm(1)), "-20 dBm");
  EXPECT_EQ(WholeDbmText(ReferenceLevelDbm(6)), "-70 dBm");
  EXPECT_EQ(ReferenceIndexOfLevel(-40), 3);
  EXPECT_EQ(ReferenceIndexOfLevel(-45), std::nullopt);
  EXPECT_EQ(ReferenceIndexOfLevel(-10), std::nullopt);
  EXPECT_EQ(ReferenceIndexOfLevel(-80), std::nullopt);
}

}  // namespace
}  // namespace qv
