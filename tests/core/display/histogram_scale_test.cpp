#include "core/display/histogram_scale.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(HistogramScale, ThresholdButtonsRescaleUpToMinusTwenty) {
  HistogramScale scale;
  EXPECT_EQ(scale.threshold(), -80);
  EXPECT_EQ(scale.ScaleTopLabel(), "-20 dBm");
  EXPECT_EQ(scale.gradient().max(), -20);
  EXPECT_EQ(scale.gradient().mode(), 2);

  scale.SetReferenceLevel(-50);
  EXPECT_EQ(scale.gradient().max(), -50);
  EXPECT_EQ(scale.gradient().min(), -80);
  EXPECT_EQ(scale.ScaleTopLabel(), "-50 dBm");

  // The next threshold change returns the scale to threshold .. -20; the label stays.
  scale.LowerThreshold();
  EXPECT_EQ(scale.ThresholdText(), "-81");
  EXPECT_EQ(scale.ThresholdLabel(), "-81 dBm");
  EXPECT_EQ(scale.gradient().max(), -20);
  EXPECT_EQ(scale.gradient().min(), -81);
  EXPECT_EQ(scale.ScaleTopLabel(), "-50 dBm");
}

TEST(HistogramScale, ThresholdStopsAtItsSixteenBitLimits) {
  HistogramScale scale;
  for (int i = 0; i < 40000; ++i) scale.RaiseThreshold();
  EXPECT_EQ(scale.threshold(), 32767);
  for (int i = 0; i < 70000; ++i) scale.LowerThreshold();
  EXPECT_EQ(scale.threshold(), -32768);
  scale.gradient().Colour(-60);
}

}  // namespace
}  // namespace qv
