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
  return sample;
}

TEST(RememberedSettings, WhatIsWrittenReadsBackAsAPersonWouldReadIt) {
  const Stored stored = Write(Sample());
  EXPECT_EQ(stored.at("Spectrum/CentreKHz"), "5180000");  // (103400 + 200) steps of 50 kHz
  EXPECT_EQ(stored.at("Spectrum/SpanKHz"), "20050");
  EXPECT_EQ(stored.at("Spectrum/RbwKHz"), "300");
  EXPECT_EQ(stored.at("Spectrum/ReferenceLevelDbm"), "-50");
  EXPECT_EQ(Read(stored), Sample());

  // Nothing stored at all: the defaults, the default spectrum sent after the handshake.
  const RememberedSettings fresh = Read({});
  EXPECT_EQ(fresh, RememberedSettings{});
  EXPECT_TRUE(fresh.spectrum.use_default);
  EXPECT_EQ(fresh.spectrum.spectrum, DefaultSpectrum());
  EXPECT_EQ(fresh.link.interface_index, -1);
  EXPECT_FALSE(fresh.window.place.has_value());

  // A serial device keeps no port.
  RememberedSettings serial;
  serial.link = {kSerialInterface, "/dev/pts/7", 10001};
  EXPECT_EQ(Write(serial).count("Connection/Port"), 0u);
  EXPECT_EQ(Read(Write(serial)).link, serial.link);
}

TEST(RememberedSettings, EachDamagedValueFallsBackToItsDefaultAlone) {
  const RememberedSettings sample = Sample();
  const RememberedSettings defaults;
  struct Case {
    const char* key;
    const char* text;
    std::function<bool(const RememberedSettings&)> fell_back;
  };
  const auto window_default = [&](const RememberedSettings& got) {
    return got.spectrum.spectrum.start == defaults.spectrum.spectrum.start &&
           got.spectrum.spectrum.span == defaults.spectrum.spectrum.span &&
           got.spectrum.spectrum.rbw_code == sample.spectrum.spectrum.rbw_code;
  };
  const auto no_place = [](const RememberedSettings& got) { return !got.window.place; };
  const Case cases[] = {
      {"Spectrum/CentreKHz", "2425 MHz", window_default},     // text where a number belongs
      {"Spectrum/CentreKHz", "2600000", window_default},      // between the bands
      {"Spectrum/CentreKHz", "2425010", window_default},      // not a whole step
      {"Spectrum/CentreKHz", "-5180000", window_default},
      {"Spectrum/SpanKHz", "0", window_default},
      {"Spectrum/SpanKHz", "99999999999999999999", window_default},
      {"Spectrum/SpanKHz", "760050", window_default},         // reaches below the 5 GHz band
      {"Spectrum/RbwKHz", "250",
       [&](const RememberedSettings& got) {
         return got.spectrum.spectrum.rbw_code == 1600 &&
                got.spectrum.spectrum.span == sample.spectrum.spectrum.span;
       }},
      {"Spectrum/ReferenceLevelDbm", "-45",
       [](const RememberedSettings& got) { return got.spectrum.reference_level_index == 1; }},
      {"Spectrum/UseDefault", "maybe",
       [](const RememberedSettings& got) { return got.spectrum.use_default; }},
      {"Window/Width", "-900", no_place},
      {"Window/Height", "0", no_place},
      {"Window/X", "12.5", no_place},
      {"Window/Maximised", "", [](const RememberedSettings& got) { return got.window.maximised; }},
      {"Connection/Interface", "7",
       [](const RememberedSettings& got) { return got.link == RememberedLink{}; }},
      {"Connection/Port", "70000",
       [](const RememberedSettings& got) { return got.link.port == 10001; }},
      {"Connection/Address", "127.0.0.1\n[Spectrum]",
       [](const RememberedSettings& got) { return got.link.address.empty(); }},
  };
  for (const Case& c : cases) {
    Stored stored = Write(sample);
    stored[c.key] = c.text;
    const RememberedSettings got = Read(stored);
    EXPECT_TRUE(c.fell_back(got)) << c.key << " = " << c.text;
    // Everything else is still what was stored.
    EXPECT_EQ(got.window.closed_panels, sample.window.closed_panels) << c.key;
  }

  // Panel titles: empty, over-long and control-character entries are dropped, the rest kept.
  Stored stored = Write(sample);
  stored["Window/ClosedPanels"] = "Markers\n\n" + std::string(500, 'x') + "\nTrig\x01ger\nTrigger";
  EXPECT_EQ(Read(stored).window.closed_panels, (std::vector<std::string>{"Markers", "Trigger"}));
}

TEST(RememberedSettings, APlaceCountsOnlyWhenEnoughOfItIsOnAScreen) {
  const std::vector<ScreenRect> screens = {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
  EXPECT_TRUE(PlaceOnSomeScreen({1500, 100, 800, 600}, screens));   // on the second screen
  EXPECT_TRUE(PlaceOnSomeScreen({-700, -500, 800, 600}, screens));  // its corner still shows
  EXPECT_FALSE(PlaceOnSomeScreen({-790, 100, 800, 600}, screens));  // a 10-pixel sliver
  EXPECT_FALSE(PlaceOnSomeScreen({4000, 100, 800, 600}, screens));  // a screen unplugged since
  EXPECT_FALSE(PlaceOnSomeScreen({100, 100, 0, 600}, screens));
  EXPECT_FALSE(PlaceOnSomeScreen({100, 100, 800, 600}, {}));
  EXPECT_FALSE(PlaceOnSomeScreen({2147483000, 2147483000, 2147483647, 2147483647}, screens));
}

}  // namespace
}  // namespace qv
