#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/display/graph_geometry.h"
#include "core/display/trace_data.h"

namespace qv {

// What a band of a sweep holds besides its power. Point i covers [start + i·step, start +
// (i + 1)·step), its power spread evenly over it.
struct BandReadings {
  // The band between the frequencies where the cumulative power reaches 0.5 % and 99.5 % of
  // the band's total, interpolated within a point's step; nullopt when the band holds no power.
  std::optional<double> obw_low_hz;
  std::optional<double> obw_high_hz;
  // Power of the equal-width bands (as many points) just below and just above, relative to the
  // band's; nullopt where that band leaves the sweep.
  std::optional<double> acpr_lower_dbc;
  std::optional<double> acpr_upper_dbc;

  std::optional<double> ObwHz() const {
    if (!obw_low_hz || !obw_high_hz) return std::nullopt;
    return *obw_high_hz - *obw_low_hz;
  }
};

// The readings of points first ... last (either order, kept within the sweep's `points`) of a
// sweep of 1/16 dBm levels.
BandReadings ReadBand(const int16_t* sixteenths, int32_t points, int32_t first, int32_t last,
                      double start_hz, double step_hz);

// The live trace's points first ... last, read as a band.
BandReadings ReadLiveBand(const TraceData& trace, int32_t first_point, int32_t last_point);
// The points under screen x1 ... x2, as the channel power reads them.
BandReadings ReadLiveBandAtX(const TraceData& trace, int32_t x1, int32_t x2,
                             const GraphGeometry& g);

// "OBW 16.400 MHz" / "OBW n/a".
std::string ObwText(const BandReadings& readings);
// "ACPR lower -32.5 / upper -30.1 dBc", "n/a" for a side outside the sweep.
std::string AcprText(const BandReadings& readings);

}  // namespace qv
