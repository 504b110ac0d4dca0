#include "core/control/frequency_entry.h"

#include <gtest/gtest.h>

#include "core/control/frequency_rules.h"

namespace qv {
namespace {

using Kind = FrequencyEntryAction::Kind;

TEST(FrequencyEntry, ShowingSpanPicksTheUnitBySize) {
  FrequencyEntry entry;
  entry.ShowSpan(1000);
  EXPECT_EQ(entry.controls().text, "50.00");
  EXPECT_TRUE(entry.controls().mhz_checked);
  EXPECT_FALSE(entry.controls().khz_checked);
  EXPECT_TRUE(entry.controls().khz_enabled);
  EXPECT_TRUE(entry.controls().entry_enabled);
  // "Set" at once re-sends the same span.
  FrequencyEntryAction action = entry.Set();
  EXPECT_EQ(action.kind, Kind::kSetSpan);
  EXPECT_EQ(action.steps, 1000u);

  entry.ShowSpan(10);
  EXPECT_EQ(entry.controls().text, "500");
  EXPECT_TRUE(entry.controls().khz_checked);
  EXPECT_FALSE(entry.controls().mhz_checked);
  EXPECT_EQ(entry.Set().steps, 10u);
}

TEST(FrequencyEntry, ShowingCentreIsAlwaysMhz) {
  FrequencyEntry entry;
  entry.ShowSpan(10);  // leaves kHz checked
  entry.ShowCentre(48000, 1000);
  EXPECT_EQ(entry.controls().text, "2425.00");
  EXPECT_EQ(entry.unit(), FrequencyEntry::Unit::kMhz);
  EXPECT_TRUE(entry.controls().mhz_checked);
  EXPECT_FALSE(entry.controls().khz_checked);
  EXPECT_FALSE(entry.controls().khz_enabled);
  EXPECT_TRUE(entry.controls().set_enabled);
  const FrequencyEntryAction action = entry.Set();
  EXPECT_EQ(action.kind, Kind::kSetCenterFrequency);
  EXPECT_EQ(action.steps, 48500u);
}

TEST(FrequencyEntry, TextChangeEnablesAndReadsWholeNumbers) {
  FrequencyEntry entry;
  entry.ShowCentre(48000, 1000);
  entry.TextChanged("2437.5");
  EXPECT_EQ(entry.value(), 2437u);
  entry.TextChanged("");
  EXPECT_FALSE(entry.controls().set_enabled);
  EXPECT_FALSE(entry.controls().up_down_enabled);
  entry.TextChanged("12");
  EXPECT_TRUE(entry.controls().set_enabled);
  EXPECT_TRUE(entry.controls().up_down_enabled);
}

TEST(FrequencyEntry, ArrowsWrapBetweenUnits) {
  FrequencyEntry entry;
  entry.ShowSpan(10);
  entry.TextChanged("1");
  entry.Down();
  EXPECT_EQ(entry.controls().text, "999");
  EXPECT_TRUE(entry.controls().khz_checked);

  entry.ChooseMhz();
  entry.Up();
  EXPECT_EQ(entry.controls().text, "1");
  EXPECT_EQ(entry.unit(), FrequencyEntry::Unit::kMhz);
  EXPECT_TRUE(entry.controls().mhz_checked);
  EXPECT_FALSE(entry.controls().khz_checked);

  entry.ShowCentre(48000, 1000);
  entry.TextChanged("999");
  entry.Up();
  EXPECT_EQ(entry.controls().text, "1000");
  EXPECT_EQ(entry.unit(), FrequencyEntry::Unit::kMhz);

  // In centre mode too, "v" at 1 falls to 999 kHz.
  entry.TextChanged("1");
  entry.Down();
  EXPECT_EQ(entry.controls().text, "999");
  EXPECT_EQ(entry.unit(), FrequencyEntry::Unit::kKhz);

  entry.TextChanged("0");
  entry.Down();
  EXPECT_EQ(entry.controls().text, "4294967295");
  EXPECT_EQ(entry.value(), 4294967295u);
}

TEST(FrequencyEntry, SetRefusesSpansOutsideLimits) {
  FrequencyEntry entry;
  entry.ShowSpan(1000);
  entry.ChooseKhz();
  entry.TextChanged("49");
  FrequencyEntryAction action = entry.Set();
  EXPECT_EQ(action.kind, Kind::kShowMessage);
  EXPECT_EQ(action.message, "Minimum Span: 50 KHz");
  EXPECT_EQ(action.caption, "Invalid Span Alert");

  entry.ChooseMhz();
  entry.TextChanged("801");
  action = entry.Set();
  EXPECT_EQ(action.message, "Maximum Span: 800MHz");
  EXPECT_EQ(action.caption, "Invalid Value");

  // 800 MHz passes here; the band rules then refuse it.
  entry.TextChanged("800");
  action = entry.Set();
  EXPECT_EQ(action.kind, Kind::kSetSpan);
  EXPECT_EQ(action.steps, 16000u);
  EXPECT_EQ(SpanWindow(48000, 1000, action.steps), std::nullopt);

  // Far beyond 32 bits after conversion: still too large, not wrapped to a small span.
  entry.TextChanged("4294968");
  EXPECT_EQ(entry.Set().message, "Maximum Span: 800MHz");
}

TEST(FrequencyEntry, SetRefusesLowCentres) {
  FrequencyEntry entry;
  entry.ShowCentre(48000, 1000);
  entry.TextChanged("900");
  const FrequencyEntryAction action = entry.Set();
  EXPECT_EQ(action.kind, Kind::kShowMessage);
  EXPECT_EQ(action.message, "Center Frequency out of a Valid Band");
  EXPECT_EQ(action.caption, "Invalid Value !");
}

TEST(FrequencyEntry, SetWithoutModeDoesNothing) {
  FrequencyEntry entry;
  entry.ChooseMhz();
  entry.TextChanged("50");
  EXPECT_EQ(entry.Set().kind, Kind::kNothing);
}

TEST(FrequencyEntry, KeypadWritesItsOwnTextIntoTheField) {
  FrequencyEntry entry;
  entry.ShowSpan(1000);
  entry.PressKey(2);
  entry.PressKey(0);
  EXPECT_EQ(entry.controls().text, "20");
  EXPECT_EQ(entry.value(), 20u);
  entry.Backspace();
  EXPECT_EQ(entry.value(), 2u);
  entry.Clear();
  EXPECT_EQ(entry.controls().text, "");
  EXPECT_FALSE(entry.controls().set_enabled);
}

}  // namespace
}  // namespace qv
