#include "core/display/channels.h"

namespace qv {

void ToggleChannel(Channels& channels, DisplayState& state, int32_t n) {
  if (n < 1 || n > kChannelCount) return;
  ChannelRecord& channel = channels[n - 1];
  channel.menu_command = kChannelMenuCommandBase + n - 1;
  if (ChannelActive(channel)) {
    channel.channel_number = 0;
    return;
  }
  const Selection& s = state.selection;
  channel.x1 = s.start_x;
  channel.y1 = s.start_y;
  channel.x2 = s.end_x;
  channel.y2 = s.end_y;
  channel.first_frequency = s.start_frequency;
  channel.second_frequency = s.end_frequency;
  channel.channel_number = n;
  state.area_selected = false;
}

void ClearAllChannels(Channels& channels) {
  for (ChannelRecord& channel : channels) channel.channel_number = 0;
}

void ClearSelection(DisplayState& state) { state.area_selected = false; }

bool ChannelMenuCommand(Channels& channels, DisplayState& state, int32_t command) {
  if (command >= kChannelMenuCommandBase && command < kChannelMenuCommandBase + kChannelCount) {
    ToggleChannel(channels, state, command - kChannelMenuCommandBase + 1);
    return true;
  }
  if (command == kCmdClearAllChannels) {
    ClearAllChannels(channels);
    return true;
  }
  if (command == kCmdClearSelection) {
    ClearSelection(state);
    return true;
  }
  return false;
}

}  // namespace qv
