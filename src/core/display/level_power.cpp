#include "core/display/level_power.h"

#include <array>
#include <cmath>

namespace qv {
namespace {

double ComputePower(int32_t level) {
  return std::pow(10.0, level / 10.0);
}

}  // namespace

const float* LevelPowerTable() {
  static const std::array<float, kLevelPowerTableSize> table = [] {
    std::array<float, kLevelPowerTableSize> t{};
    for (int32_t i = 0; i < kLevelPowerTableSize; ++i) t[i] = ComputePower(i - kLevelPowerBias);
    return t;
  }();
  return table.data();
}

float LevelPower(int32_t level) {
  const int32_t index = level + kLevelPowerBias;
  if (index >= 0 && index < kLevelPowerTableSize) return LevelPowerTable()[index];
  return ComputePower(level);
}

float PowerSumToDbm(float sum) {
  return static_cast<float>(10.0 * std::log10(static_cast<double>(sum)));
}

}  // namespace qv
