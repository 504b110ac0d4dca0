#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/display/graph_geometry.h"
#include "core/display/occupied_bandwidth.h"
#include "core/display/trace_data.h"

namespace qv {

// A band the graph measures now: an active channel or a marker pair, over the live trace.
struct MeasuredBand {
  std::string name;  // "Ch 1" ... "Ch 4", "Marker 1" ... "Marker 3"
  int32_t first_point = 0;
  int32_t last_point = 0;
  double power_dbm = 0;  // as the graph shows it
};

// The active channels, then the placed marker pairs, in number order.
std::vector<MeasuredBand> MeasuredBands(const TraceData& trace, const GraphGeometry& g);

// The summary Export Traces writes beside the traces: a header row
//   band, low Hz, high Hz, power dBm, OBW Hz, OBW low Hz, OBW high Hz, ACPR lower dBc,
//   ACPR upper dBc
// then one row per band; a reading that does not exist (no power, an adjacent channel outside
// the sweep) is left empty.
std::string BandSummaryCsv(const TraceData& trace, const std::vector<MeasuredBand>& bands);

// "traces.csv" -> "traces-summary.csv"; a name without ".csv" gets "-summary.csv" appended.
std::string SummaryPathFor(const std::string& traces_path);

}  // namespace qv
