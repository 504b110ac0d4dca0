#pragma once

#include <string>

namespace qv {

class CDisplay;

// Writes the traces the graph shows now as CSV (core/record/trace_csv.h) to `path`, replacing
// it whole. Before the first sweep the file holds the header row only. False with `error` set
// when the file cannot be written; nothing partial is left behind. The bands measured now
// (channels, marker pairs) with their power, occupied bandwidth and ACPR go beside it, to
// NAME-summary.csv (core/record/band_summary.h).
bool ExportTraces(CDisplay& display, const std::string& path, std::string* error);

}  // namespace qv
