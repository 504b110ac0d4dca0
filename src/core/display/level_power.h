#pragma once

#include <cstdint>

namespace qv {

// Milliwatts of a level in 1/16 dBm, 10^(sixteenths / 160), as a float: the sweep and marker
// sums are floats added one point at a time, and float terms keep each addition a single
// rounding.
float SixteenthsPower(int16_t sixteenths);

// Table of SixteenthsPower for every 16-bit sample, indexed by sixteenths + kPowerTableBias.
inline constexpr int32_t kPowerTableBias = 32768;
const float* PowerTable();

// 10 * log10(sum) as a float dBm; used for the sweep power and the marker band power.
float PowerSumToDbm(float sum);

}  // namespace qv
