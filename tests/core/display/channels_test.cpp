#include "core/display/channels.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/display/trace_data.h"

namespace qv {
namespace {

class ChannelsTest : public ::testing::Test {
 protected:
  ChannelsTest() {
    state.selection = Selection{100, 40, 300, 200, 2405.5f, 2412.25f};
    state.area_selected = true;
  }

  Channels channels{};
  DisplayState state;
};

TEST_F(ChannelsTest, ChannelTakesTheSelectionAndDropsIt) {
  EXPECT_TRUE(ChannelMenuCommand(channels, state, 32803));
  const ChannelRecord& c = channels[2];
  EXPECT_EQ(c.channel_number, 3);
  EXPECT_EQ(c.menu_command, 32803);
  EXPECT_EQ(c.x1, 100);
  EXPECT_EQ(c.y1, 40);
  EXPECT_EQ(c.x2, 300);
  EXPECT_EQ(c.y2, 200);
  EXPECT_FLOAT_EQ(c.first_frequency, 2405.5f);
  EXPECT_FLOAT_EQ(c.second_frequency, 2412.25f);
  EXPECT_FALSE(state.area_selected);
  for (int i : {0, 1, 3}) EXPECT_FALSE(ChannelActive(channels[i]));
}

TEST_F(ChannelsTest, ChoosingAChannelTwiceTurnsItOffAndLeavesTheSelectionAlone) {
  ToggleChannel(channels, state, 2);
  state.area_selected = true;
  state.selection.start_x = 500;
  ToggleChannel(channels, state, 2);
  EXPECT_FALSE(ChannelActive(channels[1]));
  EXPECT_EQ(channels[1].x1, 100);  // switching off does not copy
  EXPECT_TRUE(state.area_selected);
  ToggleChannel(channels, state, 2);
  EXPECT_EQ(channels[1].channel_number, 2);
  EXPECT_EQ(channels[1].x1, 500);
}

TEST_F(ChannelsTest, ChannelWithoutAnySelectionTakesZeros) {
  DisplayState fresh;
  ToggleChannel(channels, fresh, 1);
  EXPECT_EQ(channels[0].channel_number, 1);
  EXPECT_EQ(channels[0].x1 | channels[0].y1 | channels[0].x2 | channels[0].y2, 0);
  EXPECT_EQ(channels[0].first_frequency, 0.0f);
  EXPECT_EQ(channels[0].second_frequency, 0.0f);
}

TEST_F(ChannelsTest, ClearAllAndClearSelection) {
  for (int n = 1; n <= kChannelCount; ++n) ToggleChannel(channels, state, n);
  EXPECT_TRUE(ChannelMenuCommand(channels, state, kCmdClearAllChannels));
  for (const ChannelRecord& c : channels) EXPECT_FALSE(ChannelActive(c));

  state.area_selected = true;
  EXPECT_TRUE(ChannelMenuCommand(channels, state, kCmdClearSelection));
  EXPECT_FALSE(state.area_selected);

  // Anything else is not a menu command, and channel numbers out of range do nothing.
  EXPECT_FALSE(ChannelMenuCommand(channels, state, 32806));
  EXPECT_FALSE(ChannelMenuCommand(channels, state, 32800));
  ToggleChannel(channels, state, 0);
  ToggleChannel(channels, state, 5);
  for (const ChannelRecord& c : channels) EXPECT_FALSE(ChannelActive(c));
}

TEST_F(ChannelsTest, RightToLeftChannelHasTheSamePowerAsTheMirroredOne) {
  auto trace = std::make_unique<TraceData>();
  trace->header.points = 101;
  trace->header.rbw_code = 1600;
  for (int i = 0; i < 101; ++i)
    trace->live_sixteenths[i] = static_cast<int16_t>(-1440 + (i % 7) * 85);

  state.selection = Selection{400, 40, 160, 200, 2430.0f, 2420.0f};
  ToggleChannel(channels, state, 1);
  state.selection = Selection{160, 40, 400, 200, 2420.0f, 2430.0f};
  ToggleChannel(channels, state, 2);
  const GraphGeometry plot({0, 0, 1097, 800}, 101);
  const double backwards = trace->BandPower(kLiveTraceSelector, channels[0].x1, channels[0].x2, plot);
  const double forwards = trace->BandPower(kLiveTraceSelector, channels[1].x1, channels[1].x2, plot);
  EXPECT_TRUE(std::isfinite(forwards));
  EXPECT_DOUBLE_EQ(backwards, forwards);
}

}  // namespace
}  // namespace qv
