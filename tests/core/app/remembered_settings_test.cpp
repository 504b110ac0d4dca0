#include "core/app/remembered_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "core/app/receiver_state.h"
#include "core/control/frequency_rules.h"

namespace qv {
namespace {

using Stored = std::map<std::string, std::string, std::less<>>;

RememberedSettings Read(const Stored& stored) {
  return ReadRememberedSettings([&stored](std::string_view key) -> std::optional<std::string> {
    const auto found = stored.find(key);
    if (found == stored.end()) return std::nullopt;
    return found->second;
  });
}

Stored Write(const RememberedSettings& remembered) {
  Stored stored;
  for (const auto& [key, text] : RememberedEntries(remembered)) stored[key] = text;
  return stored;
}

RememberedSettings Sample() {
  RememberedSettings sample;
  sample.link = {kInternetInterface, "127.0.72.1", 10002};
  sample.spectrum.spectrum = {103400, 401, 1, 267};  // odd span: the centre is not the middle
  sample.spectrum.reference_level_index = 4;
  sample.spectrum.use_default = false;
  sample.window.place = ScreenRect{-200, 30, 900, 600};
  sample.window.maximised = false;
  sample.window.closed_panels = {"Resolution", "Trace Colour"};
  sample.replay_choice = kCaptureReplay;
  return sample;
}

TEST(RememberedSettings, WhatIsWrittenReadsBackAsAPersonWouldReadIt) {
  const Stored stored = Write(Sample());
  EXPECT_EQ(stored.at("Spectrum/CentreKHz"), "5180000");  // (103400 + 200) steps of 50 kHz
  EXPECT_EQ(stored.at("Spectrum/SpanKHz"), "20050");
  EXPECT_EQ(stored.at("Spectrum/RbwKHz"), "300");
  EXPECT_EQ(stored.at("Spectrum/ReferenceLevelDbm"), "-50");
  EXPECT_EQ(Read(stored), Sample());
  // Nothing stored: the defaults, with the default spectrum for the handshake.
  EXPECT_EQ(Read({}), RememberedSettings{});
  EXPECT_TRUE(Read({}).spectrum.use_default);
  EXPECT_EQ(Read({}).spectrum.spectrum, DefaultSpectrum());
}

TEST(RememberedSettings, EachDamagedValueFallsBackToItsDefaultAlone) {
  const RememberedSettings sample = Sample();
  const auto default_window = [](const RememberedSettings& got) {
    return got.spectrum.spectrum == SpectrumSettings{48000, 1000, 1, 267};  // RBW kept
  };
  const auto no_place = [](const RememberedSettings& got) { return !got.window.place; };
  const struct {
    const char* key;
    const char* text;
    std::function<bool(const RememberedSettings&)> fell_back;
  } cases[] = {
      {"Spectrum/CentreKHz", "2425 MHz", default_window},  // text where a number belongs
      {"Spectrum/CentreKHz", "2600000", default_window},   // between the bands
      {"Spectrum/CentreKHz", "5180010", default_window},   // not a whole step
      {"Spectrum/SpanKHz", "99999999999999999999", default_window},
      {"Spectrum/SpanKHz", "760050", default_window},      // reaches below the 5 GHz band
      {"Spectrum/RbwKHz", "250",
       [](const RememberedSettings& got) { return got.spectrum.spectrum.rbw_code == 1600; }},
      {"Spectrum/ReferenceLevelDbm", "-45",
       [](const RememberedSettings& got) { return got.spectrum.reference_level_index == 1; }},
      {"Window/Width", "-900", no_place},
      {"Window/X", "12.5", no_place},
      {"Connection/Interface", "7",
       [](const RememberedSettings& got) { return got.link == RememberedLink{}; }},
      {"Replay/Choice", "0",
       [](const RememberedSettings& got) { return got.replay_choice == kSpectrumLogReplay; }},
      {"Connection/Address", "127.0.0.1\n[Spectrum]",
       [](const RememberedSettings& got) { return got.link.address.empty(); }},
  };
  for (const auto& c : cases) {
    Stored stored = Write(sample);
    stored[c.key] = c.text;
    const RememberedSettings got = Read(stored);
    EXPECT_TRUE(c.fell_back(got)) << c.key << " = " << c.text;
    EXPECT_EQ(got.window.closed_panels, sample.window.closed_panels) << c.key;
  }
  // Empty, over-long and control-character panel titles are dropped, the rest kept.
  Stored stored = Write(sample);
  stored["Window/ClosedPanels"] = "Markers\n\n" + std::string(500, 'x') + "\nTrig\x01ger\nTrigger";
  EXPECT_EQ(Read(stored).window.closed_panels, (std::vector<std::string>{"Markers", "Trigger"}));
}

TEST(RememberedSettings, APlaceCountsOnlyWhenEnoughOfItIsOnAScreen) {
  const std::vector<ScreenRect> screens = {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
  EXPECT_TRUE(PlaceOnSomeScreen({-700, -500, 800, 600}, screens));  // its corner still shows
  EXPECT_FALSE(PlaceOnSomeScreen({-790, 100, 800, 600}, screens));  // a 10-pixel sliver
  EXPECT_FALSE(PlaceOnSomeScreen({4000, 100, 800, 600}, screens));  // a screen unplugged since
  EXPECT_FALSE(PlaceOnSomeScreen({2147483000, 0, 2147483647, 600}, screens));
}

// Settings files as QSettings writes them, and as a person may edit them, are ours; bytes of
// another kind are named, by line where they are text.
TEST(RememberedSettings, TextThatIsNoSettingsFileIsNamed) {
  const std::string ours =
      "\xEF\xBB\xBF; edited by hand\r\n[Spectrum]\r\nCentreKHz=2425000\r\n\r\n"
      "# comment\n[Window]\nClosedPanels=Markers\\nTrace Colour\nPath=C:\\\\\n"
      "  Name = caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA1\nLong=one \\\nand two\n";
  EXPECT_EQ(SettingsTextProblem(ours), "");
  EXPECT_EQ(SettingsTextProblem(""), "");
  EXPECT_EQ(SettingsTextProblem(std::string(64, '\0')), "it holds NUL bytes");
  EXPECT_EQ(SettingsTextProblem(std::string("[A]\nk=v\0\n", 9)), "it holds NUL bytes");
  for (const char* bad : {"k=\xC3(", "k=\xC0\xAF", "k=\xED\xA0\x80", "k=\xF4\x90\x80\x80",
                          "k=\xE2\x82", "\x89PNG\r\n\x1A\n"}) {
    EXPECT_EQ(SettingsTextProblem(bad), "it is not UTF-8 text") << bad;
  }
  EXPECT_EQ(SettingsTextProblem("[A]\nk=v\njust words\n"),
            "line 3 is neither a comment, a section nor a key=value");
  EXPECT_EQ(SettingsTextProblem("[Spectrum\nCentreKHz=1\n"),
            "line 1 is neither a comment, a section nor a key=value");
  EXPECT_EQ(SettingsTextProblem("=v\n"), "line 1 is neither a comment, a section nor a key=value");
}

}  // namespace
}  // namespace qv
