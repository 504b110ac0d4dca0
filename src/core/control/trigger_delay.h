#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qv {

// The longest delay whose count of 12.5 ns units fits 16 bits.
inline constexpr uint32_t kMaxTriggerDelayMicroseconds = 819;
inline constexpr std::string_view kMsgMaximumDelay = "Maximum Delay: 819 usecs";
inline constexpr std::string_view kCapMaximumDelay = "Invalid Value";

// Microseconds to units of 12.5 ns, truncated. Longer delays than 819 us are refused rather than
// sent with their high bits cut off, which would give an arbitrary short delay.
std::optional<uint16_t> TriggerDelayUnits(uint32_t microseconds);

}  // namespace qv
