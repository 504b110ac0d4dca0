#pragma once

#include <array>
#include <cstdint>

#include "core/display/channel_record.h"
#include "core/display/display_state.h"

namespace qv {

// Context-menu commands of the graph besides the four channels.
inline constexpr int32_t kCmdClearAllChannels = 32805;
inline constexpr int32_t kCmdClearSelection = 103;

using Channels = std::array<ChannelRecord, kChannelCount>;

// An active channel shows a check mark in the menu.
inline bool ChannelActive(const ChannelRecord& channel) { return channel.channel_number != 0; }

// Channel n (1 ... 4): an active one goes off; an inactive one takes the selection as it stands
// (zeros if nothing was ever selected), and the selection itself is dropped. Other n are ignored.
void ToggleChannel(Channels& channels, DisplayState& state, int32_t n);

// Every channel off.
void ClearAllChannels(Channels& channels);

void ClearSelection(DisplayState& state);

// One command of the graph's context menu (channels, "Clear All", "Clear Selection"). False
// for any other command.
bool ChannelMenuCommand(Channels& channels, DisplayState& state, int32_t command);

}  // namespace qv
