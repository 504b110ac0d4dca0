#pragma once

#include <cstdint>

namespace qv {

// Milliwatts of a whole-dBm level, 10^(level / 10), as a float: the sweep and marker sums are
// floats added one point at a time, and float terms keep each addition a single rounding.
float LevelPower(int32_t level);

// Table of LevelPower for every level a received sample can give (-2048 ... 2047 dBm), indexed
// by level + kLevelPowerBias.
inline constexpr int32_t kLevelPowerBias = 2048;
inline constexpr int32_t kLevelPowerTableSize = 4096;
const float* LevelPowerTable();

// 10 * log10(sum) as a float dBm; used for the sweep power and the marker band power.
float PowerSumToDbm(float sum);

}  // namespace qv
