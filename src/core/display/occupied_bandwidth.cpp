#include "core/display/occupied_bandwidth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/display/level_power.h"

namespace qv {
namespace {

double PowerOf(const int16_t* levels, int32_t first, int32_t last) {
  const float* table = PowerTable();
  double sum = 0;
  for (int32_t i = first; i <= last; ++i) sum += table[levels[i] + kPowerTableBias];
  return sum;
}

std::optional<double> Dbc(double adjacent, double channel) {
  if (!(adjacent > 0) || !(channel > 0)) return std::nullopt;
  return 10.0 * std::log10(adjacent / channel);
}

std::string Dbc(const std::optional<double>& value) {
  if (!value) return "n/a";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *value);
  return text;
}

}  // namespace

BandReadings ReadBand(const int16_t* sixteenths, int32_t points, int32_t first, int32_t last,
                      double start_hz, double step_hz) {
  BandReadings r;
  if (sixteenths == nullptr || points <= 0) return r;
  if (first > last) std::swap(first, last);
  first = std::clamp(first, 0, points - 1);
  last = std::clamp(last, 0, points - 1);
  const float* table = PowerTable();
  const double total = PowerOf(sixteenths, first, last);
  if (total > 0) {
    // Where the running sum crosses a share of the total, the point's power spread over its step.
    const auto crossing = [&](double share) {
      const double target = share * total;
      double below = 0;
      for (int32_t i = first; i <= last; ++i) {
        const double p = table[sixteenths[i] + kPowerTableBias];
        if (below + p >= target && p > 0) {
          return start_hz + step_hz * (i + (target - below) / p);
        }
        below += p;
      }
      return start_hz + step_hz * (last + 1);
    };
    r.obw_low_hz = crossing(0.005);
    r.obw_high_hz = crossing(0.995);
  }
  const int32_t width = last - first + 1;
  if (first - width >= 0) {
    r.acpr_lower_dbc = Dbc(PowerOf(sixteenths, first - width, first - 1), total);
  }
  if (last + width < points) {
    r.acpr_upper_dbc = Dbc(PowerOf(sixteenths, last + 1, last + width), total);
  }
  return r;
}

BandReadings ReadLiveBand(const TraceData& trace, int32_t first_point, int32_t last_point) {
  constexpr double kStepHz = 50000;
  return ReadBand(trace.live_sixteenths.data(), trace.StoredPoints(), first_point, last_point,
                  trace.header.start * kStepHz, trace.header.sweep_word * kStepHz);
}

BandReadings ReadLiveBandAtX(const TraceData& trace, int32_t x1, int32_t x2,
                             const GraphGeometry& g) {
  return ReadLiveBand(trace, g.PointAtX(std::min(x1, x2)), g.PointAtX(std::max(x1, x2)));
}

std::string ObwText(const BandReadings& readings) {
  const std::optional<double> hz = readings.ObwHz();
  if (!hz) return "OBW n/a";
  char text[48];
  std::snprintf(text, sizeof text, "OBW %.3f MHz", *hz / 1e6);
  return text;
}

std::string AcprText(const BandReadings& readings) {
  return "ACPR lower " + Dbc(readings.acpr_lower_dbc) + " / upper " + Dbc(readings.acpr_upper_dbc) +
         " dBc";
}

}  // namespace qv
