#pragma once

#include <cstdint>
#include <vector>

namespace qv::sim {

// A small 2.4/5 GHz site, deterministic in (seed, sweep index): a noise floor that follows the
// resolution bandwidth, bursty Wi-Fi channels 1, 6, 11 and 36, a narrowband frequency hopper,
// a microwave oven cycling on and off near 2450-2460 MHz and a steady 915 MHz carrier.
class SignalModel {
 public:
  explicit SignalModel(uint32_t seed) : seed_(seed) {}

  // Levels in 1/16 dBm of `count` points from `start` (50 kHz steps, `step` steps apart) for
  // sweep number `sweep`. `extra_carrier_dbm`, when set, adds a strong carrier at the centre.
  std::vector<int16_t> Sweep(uint64_t sweep, uint32_t start, uint32_t count, uint16_t step,
                             uint16_t rbw_code, const float* extra_carrier_dbm = nullptr) const;

  // Noise floor in dBm for an RBW code (80000 / RBW in kHz).
  static float NoiseFloorDbm(uint16_t rbw_code);

 private:
  uint64_t Hash(uint64_t a, uint64_t b) const;
  uint32_t seed_;
};

// splitmix64: a cheap, well-mixed hash for deterministic pseudo-random values.
inline uint64_t Mix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

}  // namespace qv::sim
