#include "core/control/trigger_delay.h"

namespace qv {

std::optional<uint16_t> TriggerDelayUnits(uint32_t microseconds) {
  if (microseconds > kMaxTriggerDelayMicroseconds) return std::nullopt;
  // x 1000 / 12.5 is x 80 exactly.
  return static_cast<uint16_t>(microseconds * 80);
}

}  // namespace qv
