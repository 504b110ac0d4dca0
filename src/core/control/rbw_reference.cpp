#include "core/control/rbw_reference.h"

namespace qv {

uint16_t RbwCodeForKhz(uint32_t khz) {
  if (khz == 0) return 0;
  const uint64_t code = (uint64_t{80000} + khz / 2) / khz;
  return static_cast<uint16_t>(code > 0xFFFF ? 0xFFFF : code);
}

int16_t ReferenceLevelDbm(int32_t index) {
  return static_cast<int16_t>(-10 * (index + 1));
}

std::optional<int32_t> ReferenceIndexOfLevel(int16_t level_dbm) {
  for (int32_t index = kFirstReferenceIndex; index <= kLastReferenceIndex; ++index) {
    if (ReferenceLevelDbm(index) == level_dbm) return index;
  }
  return std::nullopt;
}

std::string WholeDbmText(int32_t dbm) {
  return std::to_string(dbm) + " dBm";
}

}  // namespace qv
