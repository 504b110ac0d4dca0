#pragma once

#include <cstdint>

namespace qv {

inline constexpr int kChannelCount = 4;
// Context-menu command of channel 1; channels 2 ... 4 follow.
inline constexpr int32_t kChannelMenuCommandBase = 32801;

// One measurement channel: the selection it was taken from and whether it is shown.
struct ChannelRecord {
  int32_t x1 = 0;  // where the drag started
  int32_t y1 = 0;
  int32_t x2 = 0;  // where it ended
  int32_t y2 = 0;
  float first_frequency = 0;   // MHz
  float second_frequency = 0;  // MHz
  int32_t channel_number = 0;  // 0 while inactive, else 1 ... 4
  int32_t menu_command = 0;
};

}  // namespace qv
