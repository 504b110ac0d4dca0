#include "core/display/level_power.h"

#include <cmath>
#include <memory>

namespace qv {
namespace {

constexpr int32_t kPowerTableSize = 65536;

}  // namespace

const float* PowerTable() {
  static const std::unique_ptr<float[]> table = [] {
    auto t = std::make_unique<float[]>(kPowerTableSize);
    for (int32_t i = 0; i < kPowerTableSize; ++i) {
      t[i] = static_cast<float>(std::pow(10.0, (i - kPowerTableBias) / 160.0));
    }
    return t;
  }();
  return table.get();
}

float SixteenthsPower(int16_t sixteenths) {
  return PowerTable()[sixteenths + kPowerTableBias];
}

float PowerSumToDbm(float sum) {
  return static_cast<float>(10.0 * std::log10(static_cast<double>(sum)));
}

}  // namespace qv
