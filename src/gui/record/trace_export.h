#pragma once

#include <string>

namespace qv {

class CDisplay;

// Writes the traces the graph shows now as CSV (core/record/trace_csv.h) to `path`, replacing
// it whole. Before the first sweep the file holds the header row only. False with `error` set
// when the file cannot be written; nothing partial is left behind.
bool ExportTraces(CDisplay& display, const std::string& path, std::string* error);

}  // namespace qv
