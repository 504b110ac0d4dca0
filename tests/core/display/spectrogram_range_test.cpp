#include "core/display/spectrogram_range.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(SpectrogramRange, StartsAtDefaultsWithZeroResetValues) {
  SpectrogramRange range;
  EXPECT_EQ(range.MaximumText(), "-20");
  EXPECT_EQ(range.MinimumText(), "-80");
  EXPECT_EQ(range.gradient().g3(), -35);
  // Reset minimum 0: the minimum cannot be lowered yet.
  EXPECT_FALSE(range.LowerMinimum());
  EXPECT_EQ(range.minimum(), -80);
  // The maximum rises up to 0 and stops.
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(range.RaiseMaximum());
  EXPECT_FALSE(range.RaiseMaximum());
  EXPECT_EQ(range.maximum(), 0);
  EXPECT_EQ(range.gradient().max(), 0);
}

TEST(SpectrogramRange, KeepsTenDecibelsBetweenTheLimits) {
  SpectrogramRange range;
  range.SetRange(-40, -50);
  EXPECT_FALSE(range.LowerMaximum());
  EXPECT_FALSE(range.RaiseMinimum());
  EXPECT_EQ(range.maximum(), -40);
  EXPECT_EQ(range.minimum(), -50);

  range.SetRange(-40, -51);
  EXPECT_TRUE(range.RaiseMinimum());
  EXPECT_EQ(range.minimum(), -50);
  EXPECT_EQ(range.gradient().min(), -50);
  EXPECT_FALSE(range.LowerMaximum());
}

TEST(SpectrogramRange, ReferenceLevelSetsRangeAndResetValues) {
  SpectrogramRange range;
  range.SetFromReferenceLevel(-40);
  EXPECT_EQ(range.maximum(), -40);
  EXPECT_EQ(range.minimum(), -140);
  EXPECT_EQ(range.reset_maximum(), -40);
  EXPECT_EQ(range.reset_minimum(), -140);

  EXPECT_TRUE(range.LowerMaximum());
  EXPECT_TRUE(range.RaiseMinimum());
  EXPECT_FALSE(range.LowerMinimum() && range.LowerMinimum());  // back to -140, then stops
  range.ResetDisplay();
  EXPECT_EQ(range.maximum(), -40);
  EXPECT_EQ(range.minimum(), -140);
  EXPECT_EQ(range.gradient().min(), -140);
}

}  // namespace
}  // namespace qv
