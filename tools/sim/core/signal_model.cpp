#include "sim/core/signal_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qv::sim {
namespace {

constexpr float kFloorAt50KhzDbm = -100.0f;
constexpr float kStepMhz = 0.05f;

struct WifiChannel {
  float centre_mhz;
  float level_dbm;  // per 50 kHz of bandwidth
  int duty_percent;
};
constexpr WifiChannel kWifi[] = {
    {2412.0f, -70.0f, 35}, {2437.0f, -64.0f, 50}, {2462.0f, -74.0f, 25}, {5180.0f, -68.0f, 40}};

float Unit(uint64_t h) {
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0x1000000);
}

// Relative level of an occupied 20 MHz channel: flat top, steep skirts, low shoulders.
float WifiShape(float offset_mhz) {
  float d = std::fabs(offset_mhz);
  if (d < 8.5f) return 0.0f;
  if (d < 11.0f) return -(d - 8.5f) * 10.0f;
  if (d < 15.0f) return -28.0f - (d - 11.0f) * 2.0f;
  return -200.0f;
}

float NarrowShape(float offset_mhz, float half_width_mhz, float db_per_mhz) {
  float d = std::fabs(offset_mhz) - half_width_mhz;
  return d <= 0.0f ? 0.0f : -d * db_per_mhz;
}

}  // namespace

float SignalModel::NoiseFloorDbm(uint16_t rbw_code) {
  if (rbw_code == 0) rbw_code = 1;
  double rbw_khz = 80000.0 / rbw_code;
  return kFloorAt50KhzDbm + static_cast<float>(10.0 * std::log10(rbw_khz / 50.0));
}

uint64_t SignalModel::Hash(uint64_t a, uint64_t b) const {
  return Mix64(Mix64(static_cast<uint64_t>(seed_) * 0x100000001B3ull ^ a) ^ b);
}

std::vector<int16_t> SignalModel::Sweep(uint64_t sweep, uint32_t start, uint32_t count,
                                        uint16_t step, uint16_t rbw_code,
                                        const float* extra_carrier_dbm) const {
  const float floor_dbm = NoiseFloorDbm(rbw_code);
  const float rbw_gain = floor_dbm - kFloorAt50KhzDbm;  // wideband signals rise with the RBW
  const float rbw_half_mhz = (rbw_code ? 80.0f / rbw_code : 80.0f) / 2.0f;

  // Per-sweep state of the bursty sources.
  bool wifi_on[std::size(kWifi)];
  for (size_t c = 0; c < std::size(kWifi); ++c) {
    wifi_on[c] = static_cast<int>(Hash(sweep / 2, 100 + c) % 100) < kWifi[c].duty_percent;
  }
  const float hop_mhz = 2402.0f + static_cast<float>(Hash(sweep, 200) % 79);
  const bool oven_on = (sweep % 12) < 6;
  const float oven_mhz = 2450.0f + 10.0f * Unit(Hash(sweep, 300));
  const float first_mhz = start * kStepMhz;
  const float last_mhz = (start + static_cast<float>(count) * step) * kStepMhz;
  const float centre_mhz = (first_mhz + last_mhz) / 2.0f;

  std::vector<int16_t> levels(count);
  const uint64_t sweep_key = Hash(sweep, 0);
  for (uint32_t i = 0; i < count; ++i) {
    const float f = (start + static_cast<float>(i) * step) * kStepMhz;
    const uint64_t h = Mix64(sweep_key ^ i);
    // Noise in dB is skewed: deep dips are likelier than peaks.
    float level = floor_dbm + 3.0f - 9.0f * Unit(h) * Unit(h >> 24);
    if (f > 2380.0f && f < 2500.0f) {
      for (size_t c = 0; c < 3; ++c) {
        if (!wifi_on[c]) continue;
        float s = kWifi[c].level_dbm + rbw_gain + WifiShape(f - kWifi[c].centre_mhz) +
                  2.0f * Unit(h >> 40);
        level = std::max(level, s);
      }
      level = std::max(level, -48.0f + NarrowShape(f - hop_mhz, 0.5f, 30.0f));
      if (oven_on) {
        float s =
            -52.0f + rbw_gain * 0.5f + NarrowShape(f - oven_mhz, 4.0f, 6.0f) + 6.0f * Unit(h >> 16);
        level = std::max(level, s);
      }
    } else if (f > 5150.0f && f < 5210.0f && wifi_on[3]) {
      level = std::max(level, kWifi[3].level_dbm + rbw_gain + WifiShape(f - kWifi[3].centre_mhz));
    } else if (f > 905.0f && f < 925.0f) {
      level = std::max(level, -35.0f + NarrowShape(f - 915.0f, rbw_half_mhz, 40.0f));
    }
    if (extra_carrier_dbm) {
      level =
          std::max(level, *extra_carrier_dbm + NarrowShape(f - centre_mhz, rbw_half_mhz, 40.0f));
    }
    long sixteenths = std::lround(level * 16.0f);
    levels[i] = static_cast<int16_t>(std::clamp<long>(sixteenths, INT16_MIN, INT16_MAX));
  }
  return levels;
}

}  // namespace qv::sim
