#include "core/display/gradient.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// Red in the low byte.
constexpr uint32_t RGB(uint32_t red, uint32_t green, uint32_t blue) {
  return red | green << 8 | blue << 16;
}

TEST(CGradient, SpectrogramPointsAscendFromMinimum) {
  CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  EXPECT_EQ(gradient.r(), 61);
  EXPECT_EQ(gradient.s(), 15);
  EXPECT_EQ(gradient.g1(), -65);
  EXPECT_EQ(gradient.g2(), -50);
  EXPECT_EQ(gradient.g3(), -35);
  EXPECT_EQ(gradient.mode(), 1);
}

TEST(CGradient, SpectrogramColoursWrapAsBytes) {
  CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  EXPECT_EQ(gradient.Colour(-19), RGB(0, 0, 0));
  EXPECT_EQ(gradient.Colour(-20), RGB(255, 252, 0));
  EXPECT_EQ(gradient.Colour(-34), RGB(255, 14, 0));
  EXPECT_EQ(gradient.Colour(-35), RGB(1, 255, 0));
  EXPECT_EQ(gradient.Colour(-50), RGB(0, 255, 0));
  EXPECT_EQ(gradient.Colour(-65), RGB(2, 255, 255));
  EXPECT_EQ(gradient.Colour(-81), RGB(255, 255, 255));
  EXPECT_EQ(gradient.Colour(-120), RGB(255, 255, 255));
}

TEST(CGradient, HistogramPointsDescendFromMaximum) {
  CGradient gradient;
  gradient.SetHistogram(-20, -80);
  EXPECT_EQ(gradient.g1(), -35);
  EXPECT_EQ(gradient.g2(), -50);
  EXPECT_EQ(gradient.g3(), -65);
  EXPECT_EQ(gradient.mode(), 2);
  EXPECT_EQ(gradient.Colour(-19), RGB(0, 0, 0));
  EXPECT_EQ(gradient.Colour(-20), RGB(255, 0, 0));
  EXPECT_EQ(gradient.Colour(-35), RGB(255, 255, 0));
  EXPECT_EQ(gradient.Colour(-50), RGB(0, 255, 0));
  EXPECT_EQ(gradient.Colour(-65), RGB(0, 255, 255));
  EXPECT_EQ(gradient.Colour(-80), RGB(255, 255, 255));
  EXPECT_EQ(gradient.Colour(-100), RGB(255, 255, 255));
}

TEST(CGradient, LevelsAreLimitedBeforeColouring) {
  CGradient gradient;
  gradient.SetSpectrogram(0, -120);
  EXPECT_EQ(gradient.Colour(25), gradient.Colour(0));
  EXPECT_EQ(gradient.Colour(-2000), gradient.Colour(-120));
  EXPECT_NE(gradient.Colour(-120), RGB(255, 255, 255));  // -120 is not below the minimum
  // With the maximum below 0, a level above 0 is black like any level above the maximum.
  gradient.SetHistogram(-20, -80);
  EXPECT_EQ(gradient.Colour(32767), RGB(0, 0, 0));
}

TEST(CGradient, NarrowRangesAndUnsetModeDoNotCrash) {
  CGradient gradient;
  EXPECT_EQ(gradient.Colour(-50), RGB(0, 0, 0));  // no mode yet
  gradient.SetSpectrogram(0, 0);                  // s = 0
  EXPECT_EQ(gradient.Colour(-1), RGB(255, 255, 255));
  gradient.SetHistogram(-20, -20);
  gradient.Colour(-20);
  gradient.SetHistogram(-20, 10);  // threshold above the top: negative width
  gradient.Colour(-30);
}

TEST(CGradient, TableMatchesColourPerLevel) {
  CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  const auto table = gradient.Table();
  EXPECT_EQ(table[20], RGB(255, 252, 0));
  EXPECT_EQ(table[65], RGB(2, 255, 255));
  EXPECT_EQ(table[120], RGB(255, 255, 255));
}

}  // namespace
}  // namespace qv
