#include "core/record/band_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qv {
namespace {

constexpr double kStepHz = 50000;

std::string Number(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Optional(const char* format, const std::optional<double>& value) {
  return value ? Number(format, *value) : std::string();
}

}  // namespace

std::vector<MeasuredBand> MeasuredBands(const TraceData& trace, const GraphGeometry& g) {
  std::vector<MeasuredBand> bands;
  for (const ChannelRecord& ch : trace.channels) {
    if (ch.channel_number == 0) continue;
    bands.push_back({"Ch " + std::to_string(ch.channel_number),
                     g.PointAtX(std::min(ch.x1, ch.x2)), g.PointAtX(std::max(ch.x1, ch.x2)),
                     trace.BandPower(kLiveTraceSelector, ch.x1, ch.x2, g)});
  }
  for (size_t m = 0; m < trace.markers.size(); ++m) {
    const MarkerRecord& mk = trace.markers[m];
    if (!mk.a_placed || !mk.b_placed) continue;
    bands.push_back({"Marker " + std::to_string(m + 1), std::min(mk.a_point, mk.b_point),
                     std::max(mk.a_point, mk.b_point), mk.band_power});
  }
  return bands;
}

std::string BandSummaryCsv(const TraceData& trace, const std::vector<MeasuredBand>& bands) {
  std::string text =
      "band, low Hz, high Hz, power dBm, OBW Hz, OBW low Hz, OBW high Hz, ACPR lower dBc, "
      "ACPR upper dBc\n";
  const int32_t points = trace.StoredPoints();
  for (const MeasuredBand& band : bands) {
    if (points == 0) break;
    const int32_t first = std::clamp(band.first_point, 0, points - 1);
    const int32_t last = std::clamp(band.last_point, first, points - 1);
    const BandReadings r = ReadLiveBand(trace, first, last);
    const double start = trace.header.start * kStepHz;
    const double step = trace.header.sweep_word * kStepHz;
    text += band.name + ", " + Number("%.0f", start + first * step) + ", " +
            Number("%.0f", start + (last + 1) * step) + ", " +
            (std::isfinite(band.power_dbm) ? Number("%.2f", band.power_dbm) : std::string()) +
            ", " + Optional("%.0f", r.ObwHz()) + ", " + Optional("%.0f", r.obw_low_hz) + ", " +
            Optional("%.0f", r.obw_high_hz) + ", " + Optional("%.2f", r.acpr_lower_dbc) + ", " +
            Optional("%.2f", r.acpr_upper_dbc) + "\n";
  }
  return text;
}

std::string SummaryPathFor(const std::string& traces_path) {
  const std::string ext = ".csv";
  const size_t slash = traces_path.find_last_of('/');
  const size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  if (traces_path.size() >= name_at + ext.size() + 1 &&
      traces_path.compare(traces_path.size() - ext.size(), ext.size(), ext) == 0) {
    return traces_path.substr(0, traces_path.size() - ext.size()) + "-summary.csv";
  }
  return traces_path + "-summary.csv";
}

}  // namespace qv
