#include "core/control/frequency_rules.h"

#include <gtest/gtest.h>

#include <optional>

namespace qv {
namespace {

using Window = std::optional<FrequencyWindow>;

TEST(CenterWindow, ClampsToTheEdgeItCrossesKeepingTheCentre) {
  // 2410 MHz with 50 MHz: the start falls below 2400 MHz.
  EXPECT_EQ(CenterWindow(1000, 48200), Window(FrequencyWindow{48000, 400}));
  // 2490 MHz: the stop passes 2500 MHz.
  EXPECT_EQ(CenterWindow(1000, 49800), Window(FrequencyWindow{49600, 400}));
  // 4980 MHz: the stop passes 4990 MHz.
  EXPECT_EQ(CenterWindow(1000, 99600), Window(FrequencyWindow{99400, 400}));
  // 5880 MHz: the stop passes the top of the 5 GHz band.
  EXPECT_EQ(CenterWindow(1000, 117600), Window(FrequencyWindow{117200, 800}));
  // 905 MHz: the start falls below 902.4 MHz.
  EXPECT_EQ(CenterWindow(1000, 18100), Window(FrequencyWindow{18048, 104}));
  // Inside a band nothing moves.
  EXPECT_EQ(CenterWindow(1000, 48500), Window(FrequencyWindow{48000, 1000}));
}

TEST(CenterWindow, RefusesCentresOutsideEveryBand) {
  EXPECT_EQ(CenterWindow(1000, 18000), std::nullopt);   // 900 MHz
  EXPECT_EQ(CenterWindow(1000, 52000), std::nullopt);   // 2600 MHz
  EXPECT_EQ(CenterWindow(1000, 120000), std::nullopt);  // 6000 MHz
  EXPECT_EQ(CenterWindow(1000, 18561), std::nullopt);
  EXPECT_EQ(CenterWindow(1000, 99801), std::nullopt);
  EXPECT_EQ(CenterWindow(1000, 118001), std::nullopt);
  // The band edges themselves are inside.
  EXPECT_NE(CenterWindow(10, 18560), std::nullopt);
  EXPECT_NE(CenterWindow(10, 103000), std::nullopt);
  EXPECT_NE(CenterWindow(10, 118000), std::nullopt);
}

TEST(CenterWindow, HugeCurrentSpanDoesNotWrapTheStart) {
  // Half the span exceeds the centre: the start is below the lowest band, not near 2^32.
  EXPECT_EQ(CenterWindow(4000000000u, 18300), Window(FrequencyWindow{18048, 504}));
}

TEST(SpanWindow, AcceptsOnlyWindowsInsideOneBand) {
  // 50 MHz around 2425 MHz stays.
  EXPECT_EQ(SpanWindow(48000, 1000, 1000), Window(FrequencyWindow{48000, 1000}));
  EXPECT_EQ(SpanWindow(48000, 1000, 400), Window(FrequencyWindow{48300, 400}));
  // 100 MHz around 2425 MHz would start at 47500.
  EXPECT_EQ(SpanWindow(48000, 1000, 2000), std::nullopt);
  // 800 MHz fits no band.
  EXPECT_EQ(SpanWindow(48000, 1000, 16000), std::nullopt);
  // Exactly the whole 2.4 GHz band, edges inclusive.
  EXPECT_EQ(SpanWindow(48000, 2000, 2000), Window(FrequencyWindow{48000, 2000}));
  // The span is sent as given, even when odd.
  EXPECT_EQ(SpanWindow(48000, 1000, 401), Window(FrequencyWindow{48300, 401}));
}

TEST(SpanWindow, WindowReachingBelowZeroIsRefusedNotWrapped) {
  // Start would be 18048 - 8000 < 0 in spirit; a wrapped start would pass the 2.4 GHz test.
  EXPECT_EQ(SpanWindow(0, 0, 16000), std::nullopt);
  EXPECT_EQ(SpanWindow(4294967000u, 4000, 100), std::nullopt);
}

TEST(DefaultSpectrum, Is2400To2450MhzAt50Khz) {
  const SpectrumSettings settings = DefaultSpectrum();
  EXPECT_EQ(settings.start, 48000u);
  EXPECT_EQ(settings.span, 1000u);
  EXPECT_EQ(settings.sweep_word, 1);
  EXPECT_EQ(settings.rbw_code, 1600);
}

TEST(FrequencyUnits, ConversionsAndFormatting) {
  EXPECT_EQ(FormatMhz(StepsToMhz(1000)), "50.00");
  EXPECT_EQ(FormatMhz(StepsToMhz(48500)), "2425.00");
  EXPECT_EQ(FormatMhz(StepsToMhz(98811)), "4940.55");
  EXPECT_EQ(StepsToKhz(10), 500u);
  EXPECT_EQ(KhzToSteps(49), 0u);
  EXPECT_EQ(KhzToSteps(999), 19u);
  EXPECT_EQ(MhzToSteps(801), 16020u);
  // 4294968 MHz would wrap to 14 steps if multiplied by 1000 in 32 bits.
  EXPECT_EQ(MhzToSteps(4294968), 85899360u);
  EXPECT_EQ(MhzToSteps(4294967295u), 4294967295u);
}

TEST(ReadDialogInteger, ReadsLeadingDigitsOnly) {
  EXPECT_EQ(ReadDialogInteger("2425.00"), 2425u);
  EXPECT_EQ(ReadDialogInteger("2437.5"), 2437u);
  EXPECT_EQ(ReadDialogInteger("  42abc"), 42u);
  EXPECT_EQ(ReadDialogInteger(".5"), 0u);
  EXPECT_EQ(ReadDialogInteger("-5"), 0u);
  EXPECT_EQ(ReadDialogInteger(""), 0u);
  EXPECT_EQ(ReadDialogInteger("4294967295"), 4294967295u);
  EXPECT_EQ(ReadDialogInteger("4294967296"), 4294967295u);
  EXPECT_EQ(ReadDialogInteger("99999999999999999999999"), 4294967295u);
}

}  // namespace
}  // namespace qv
