#include "core/display/graph_texts.h"

#include <gtest/gtest.h>

#include "core/display/graph_geometry.h"

namespace qv {
namespace {

TEST(GraphLegendTexts, CentreAndSpanForms) {
  EXPECT_EQ(CentreText(48000, 1000, 1), "Ctr: 2425.00 MHz");
  EXPECT_EQ(SpanText(1000, 1), "Span: 50.00 MHz");
  // Below 1 MHz the span is shown in whole KHz.
  EXPECT_EQ(SpanText(10, 1), "Span: 500 KHz");
  EXPECT_EQ(SpanText(20, 1), "Span: 1.00 MHz");
  // The half span is taken in whole steps: 7 points of word 1 add 3 steps, not 3.5.
  EXPECT_EQ(CentreText(48000, 7, 1), "Ctr: 2400.15 MHz");
  EXPECT_EQ(SpanText(500, 4), "Span: 100.00 MHz");
}

TEST(GraphLegendTexts, NotAvailableForms) {
  EXPECT_EQ(RbwText(267), "RBW: 299 KHz");
  EXPECT_EQ(RbwText(1600), "RBW: 50 KHz");
  EXPECT_EQ(RbwText(0), "RBW:  NA");
  EXPECT_EQ(ReferenceLevelText(0), "Ref Lvl: NA");
  EXPECT_EQ(ReferenceLevelText(-20), "Ref Lvl: -20 dBm");
  EXPECT_EQ(SweepPowerText(0), "Power:   NA");
  EXPECT_EQ(SweepPowerText(-41.5f), "Power: -41.50 dBm");
  EXPECT_EQ(MarkerPowerText(0, -12.0f), "Ch Power: NA");
  EXPECT_EQ(MarkerPowerText(1e-3f, -30.0f), "Ch Power: -30.00 dBm");
}

TEST(GraphLegendTexts, ModeAndWarnings) {
  EXPECT_EQ(ModeText(true, true), "Mode: Spectrum Sweep");
  EXPECT_EQ(ModeText(false, true), "Mode: Power Trigger");
  EXPECT_EQ(ModeText(false, false), "Mode:    None");
  EXPECT_EQ(TriggerPowerText(-55), "Trigger Power: -55 dBm");
  EXPECT_EQ(LowBatteryText(30),
            "LOW BATTERY WARNING !!!\\n Please Recharge the Batteries for the Quorvalin Receiver\n"
            " To Protect your Quorvalin, this Program will terminate after 30 seconds");
  EXPECT_EQ(ChannelText(3, -47.256), "Ch # 3: -47.26 dBm");
}

TEST(GraphLegendTexts, ReplayAndLog) {
  EXPECT_EQ(ReplayPercentText(250, 1000), "25 %");
  EXPECT_EQ(ReplayPercentText(5, 0), "0 %");
  EXPECT_EQ(ReplayBarRight(500, 1000, 100), 160);
  EXPECT_EQ(ReplayBarRight(1, 0, 100), 60);
  EXPECT_EQ(LogSizeText(123456789012ULL), "Log Size: 123456789012 Bytes");
  EXPECT_EQ(LogTimeText(7), "Log Time: 7 Mins");
}

TEST(GraphLegendTexts, FrequencyIndicatorAndDeltas) {
  // x = 60 is the start; the far edge R gives the start plus (N - 1) steps scaled by (R-60)/R.
  EXPECT_EQ(IndicatorText(2400.0), "2400.00MHz");
  EXPECT_EQ(DeltaLevelText(-3.5), "-3.50 dB;");
  EXPECT_EQ(DeltaFrequencyText(12.25), "12.25 MHz;");
  EXPECT_EQ(MhzText(2412.0), "2412.00 MHz");
  EXPECT_EQ(DbmText(-40.256), "-40.26 dBm");
}

TEST(GraphLayout, DivisionsAndPointPositions) {
  const GraphGeometry g(GraphRect{0, 0, 700, 400}, 1001);
  EXPECT_EQ(g.right, 600);
  EXPECT_EQ(g.bottom, 300);
  EXPECT_EQ(g.dx, 60);
  EXPECT_EQ(g.dy, 30);
  // Each point in the middle of its 600 / 1001 pixels: the last one left of the right edge.
  EXPECT_EQ(g.X(0), 60);
  EXPECT_EQ(g.X(1), 60);
  EXPECT_EQ(g.X(501), 360);
  EXPECT_EQ(g.X(1000), 659);
  EXPECT_EQ(g.GridX(10), 660);
  EXPECT_EQ(g.GridY(10), 305);
  EXPECT_EQ(g.DeltaBase(), 400);
  // A single point owns the whole width and sits in its middle.
  EXPECT_EQ(GraphGeometry(GraphRect{0, 0, 700, 400}, 1).X(0), 360);
  // An area that does not start at 0 narrows the plot but keeps the 60-pixel margin.
  const GraphGeometry offset(GraphRect{70, 0, 770, 400}, 2);
  EXPECT_EQ(offset.right, 660);
  EXPECT_EQ(offset.dx, 59);
  EXPECT_EQ(offset.X(1), 502);
}

}  // namespace
}  // namespace qv
