#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/display/display_state.h"
#include "core/display/graph_geometry.h"
#include "core/display/trace_data.h"

namespace qv {

// One exported trace: its name in the header row and a level in 1/16 dBm for each point it
// covers; sixteenths[j] belongs to sweep point first_point + j.
struct TraceColumn {
  std::string name;
  int32_t first_point = 0;
  std::vector<int16_t> sixteenths;
};

// The highest whole dBm level drawn at screen row y or below it, on a plot whose top row (y = 5)
// is `reference` and which spans 100 dB over `span` pixels. Exact for rows a level was drawn at
// while the plot is at least 100 pixels high; a lower plot merges levels into one row.
int16_t LevelAtY(int16_t reference, int32_t y, int64_t span);

// The traces the graph draws now: live, frozen live slots, peaks, average, frozen averages, bin
// average, frozen bin averages, then min hold. The live, frozen live and min-hold traces keep
// their levels as received, to 1/16 dB; the others are kept as screen rows of `g`'s scale and
// are read back as whole dBm with LevelAtY.
// The bin average (value i = the mean of points i ... i + M - 1, drawn at the middle one) must
// have been computed for the picture, as the painter does before drawing it.
std::vector<TraceColumn> VisibleTraceColumns(const TraceData& trace, const DisplayState& state,
                                             const GraphGeometry& g);

// The CSV: a header row "Frequency (Hz)" and "<name> (dBm)" per column, then one row per point
// 0 ... points - 1: its frequency in Hz ((start + point x sweep word) x 50 kHz), then each
// column's level written as the log CSV writes levels (-1677 -> "-104.8125", -1600 -> "-100"),
// or nothing where the column has no value for the point. No sweep, no rows.
std::string TraceCsv(uint32_t start, uint16_t sweep_word, int32_t points,
                     const std::vector<TraceColumn>& columns);

// Writes `text` to a temporary file beside `path`, then renames it over `path`, so a failure
// leaves any earlier file as it was and no partial one. On failure `error` says what went wrong.
bool WriteFileReplacing(const std::string& path, std::string_view text, std::string* error);

}  // namespace qv
