#include "gui/record/trace_export.h"

#include <algorithm>

#include "core/record/band_summary.h"
#include "core/record/trace_csv.h"
#include "gui/display/display.h"

namespace qv {

bool ExportTraces(CDisplay& display, const std::string& path, std::string* error) {
  TraceData& trace = display.Trace();
  const DisplayState& state = display.State();
  const GraphGeometry geometry = display.Geometry();
  // The bin average is a cache of the live levels that the painter refreshes for each picture.
  if (trace.bin_average_on) {
    trace.ComputeBinAverage(std::max<int32_t>(state.bin_count, 1), geometry.LevelPlot());
  }
  std::vector<TraceColumn> columns = VisibleTraceColumns(trace, state, geometry);
  // A selected time window's traces come after the graph's own.
  if (const std::vector<TraceColumn>* window = display.Scene().window_traces) {
    columns.insert(columns.end(), window->begin(), window->end());
  }
  const std::string text = TraceCsv(trace.header.start, trace.header.sweep_word,
                                    trace.StoredPoints(), columns);
  // The measured bands go to a file of their own, so the traces' layout stays as scripts read it.
  return WriteFileReplacing(path, text, error) &&
         WriteFileReplacing(SummaryPathFor(path),
                            BandSummaryCsv(trace, MeasuredBands(trace, geometry)), error);
}

}  // namespace qv
