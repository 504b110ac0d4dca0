#include "core/ui/command_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/display/marker_step.h"

namespace qv {
namespace {

// A clash would leave Qt firing neither command; Enter belongs to the entry fields; every
// toolbar button, swapped ones included, names a key in its tool tip.
TEST(CommandKeysTest, KeysAreUniqueAndEveryToolbarCommandHasOne) {
  std::set<std::string> seen;
  for (const CommandKey& key : CommandKeys()) {
    std::string_view rest = key.keys;
    ASSERT_FALSE(rest.empty()) << key.command;
    while (!rest.empty()) {
      const size_t split = rest.find("; ");
      const std::string one(rest.substr(0, split));
      EXPECT_TRUE(seen.insert(one).second) << "key used twice: " << one;
      EXPECT_NE(one, "Return");
      EXPECT_NE(one, "Enter");
      rest = split == std::string_view::npos ? std::string_view() : rest.substr(split + 2);
    }
  }
  ToolbarState toolbar;
  toolbar.ShowPlaying();
  toolbar.ShowSelectionMode(true);
  for (const ToolbarButton& button : toolbar.Buttons()) {
    EXPECT_FALSE(KeysOf(button.command).empty()) << button.command;
  }
  EXPECT_FALSE(KeysOf(kCmdReplay).empty());
  EXPECT_EQ(TipWithKey("Zoom In", kCmdZoomIn), "Zoom In (+)");
  EXPECT_EQ(TipWithKey("Pause the Playback", kCmdPause), "Pause the Playback (Space)");
  EXPECT_EQ(TipWithKey("Time markers", kCmdShowTimeMarkers), "Time markers");
}

TEST(CommandKeysTest, SpacePausesAndResumesButNeverStartsAPlayback) {
  ViewFlags flags;
  EXPECT_EQ(SpaceCommand(flags), std::nullopt);
  flags.connected = true;
  flags.recording = true;
  EXPECT_EQ(SpaceCommand(flags), std::nullopt);
  flags = {};
  flags.playing_back = true;
  EXPECT_EQ(SpaceCommand(flags), kCmdPause);
  flags.playback_paused = true;
  EXPECT_EQ(SpaceCommand(flags), kCmdReplay);
}

// A marker walked by the arrow keys: single and tenfold steps, held at both ends of the trace,
// its frequency and level following at once, the armed end moving, and nothing to move.
TEST(CommandKeysTest, ArrowKeysStepTheSelectedMarkerEndWithinTheTrace) {
  constexpr int32_t kPoints = 101;
  const GraphGeometry g(GraphRect{0, 0, 770, 400}, kPoints);
  int16_t levels[kPoints];
  for (int j = 0; j < kPoints; ++j) levels[j] = static_cast<int16_t>(-1600 + 9 * j);  // 1/16 dBm
  const auto step = [&](MarkerRecord& m, int command) {
    return StepMarker(m, g, 48000, 10, levels, kPoints, MarkerStepOf(command));
  };

  MarkerRecord m;
  EXPECT_FALSE(step(m, kCmdMarkerStepUp));  // nothing placed
  m.a_placed = 1;
  m.a_point = 5;
  ASSERT_TRUE(step(m, kCmdMarkerStepUp));
  EXPECT_EQ(m.a_point, 6);
  EXPECT_EQ(m.a_x, g.X(6));
  EXPECT_FLOAT_EQ(m.a_frequency, 2403.0f);  // 2400 MHz + 6 x 0.5 MHz
  EXPECT_EQ(m.a_level, -96.625f);
  step(m, kCmdMarkerStepDownTen);
  EXPECT_EQ(m.a_point, 0);
  step(m, kCmdMarkerStepDown);
  EXPECT_EQ(m.a_point, 0);
  m.a_point = 95;
  step(m, kCmdMarkerStepUpTen);
  EXPECT_EQ(m.a_point, kPoints - 1);
  EXPECT_FLOAT_EQ(m.a_frequency, 2450.0f);
  m.a_point = 4000;  // left from a longer sweep
  step(m, kCmdMarkerStepDown);
  EXPECT_EQ(m.a_point, kPoints - 2);

  // With B armed and placed, B moves and A stays; armed but not placed, A moves.
  m.b_enabled = 1;
  m.b_placed = 1;
  m.b_point = 20;
  step(m, kCmdMarkerStepDownTen);
  EXPECT_EQ(m.b_point, 10);
  EXPECT_EQ(m.b_x, g.X(10));
  EXPECT_EQ(m.b_level, -94.375f);
  EXPECT_EQ(m.a_point, kPoints - 2);
  m.b_placed = 0;
  step(m, kCmdMarkerStepDown);
  EXPECT_EQ(m.a_point, kPoints - 3);
  EXPECT_EQ(MarkerStepOf(kCmdZoomIn), 0);
  EXPECT_FALSE(StepMarker(m, g, 48000, 10, levels, 0, 1));
}

}  // namespace
}  // namespace qv
