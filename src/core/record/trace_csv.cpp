#include "core/record/trace_csv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/display/level_units.h"
#include "core/record/log_csv.h"

namespace qv {
namespace {

constexpr uint64_t kHzPerStep = 50000;

template <typename Row>
TraceColumn RowsColumn(std::string name, const Row* y, int32_t count, int32_t first_point,
                       int16_t reference, int64_t span) {
  TraceColumn column{std::move(name), first_point, {}};
  column.sixteenths.resize(static_cast<size_t>(std::max(count, 0)));
  for (int32_t j = 0; j < count; ++j) {
    column.sixteenths[j] = SixteenthsOfLevel(LevelAtY(reference, static_cast<int32_t>(y[j]), span));
  }
  return column;
}

std::string Numbered(const char* name, int slot) {
  return std::string(name) + " " + std::to_string(slot + 1);
}

}  // namespace

int16_t LevelAtY(int16_t reference, int32_t y, int64_t span) {
  if (span <= 0) return reference;
  // Floor of (y - 5) * 100 / span, then settled on the highest level drawn at y or below.
  const int64_t offset = static_cast<int64_t>(y) - kPlotTopY;
  int64_t below = offset * 100 / span;
  if (offset * 100 % span != 0 && offset < 0) --below;
  auto level = static_cast<int32_t>(std::clamp<int64_t>(reference - below, -32768, 32767));
  for (int step = 0; step < 4 && level < 32767 && LevelToY(reference, level + 1, span) >= y;
       ++step) {
    ++level;
  }
  for (int step = 0; step < 4 && level > -32768 && LevelToY(reference, level, span) < y; ++step) {
    --level;
  }
  return static_cast<int16_t>(level);
}

std::vector<TraceColumn> VisibleTraceColumns(const TraceData& t, const DisplayState& s,
                                             const GraphGeometry& g) {
  std::vector<TraceColumn> columns;
  const int32_t n = t.StoredPoints();
  const int16_t reference = t.header.reference_level;
  const int64_t span = ScaleSpan(g.LevelPlot());
  if (s.live_shown) {
    const auto received = static_cast<int32_t>(std::min<uint32_t>(t.points_received, n));
    columns.push_back(
        {"Live", 0, {t.live_sixteenths.begin(), t.live_sixteenths.begin() + received}});
  }
  for (int k = 0; k < kTraceSlots; ++k) {
    const FrozenLiveSlot& slot = t.frozen_live[k];
    if (slot.frozen && !slot.hidden) {
      columns.push_back(
          {Numbered("Frozen Live", k), 0, {slot.sixteenths.begin(), slot.sixteenths.begin() + n}});
    }
  }
  for (int k = 0; k < kTraceSlots; ++k) {
    const PeakSlot& slot = t.peaks[k];
    if ((slot.live || slot.frozen) && !slot.hidden) {
      columns.push_back(RowsColumn(Numbered("Peak", k), slot.y.data(), n, 0, reference, span));
    }
  }
  if (t.trace_average_on && !s.average_hidden) {
    columns.push_back(RowsColumn("Average", t.average_y.data(), n, 0, reference, span));
  }
  for (int k = 0; k < kTraceSlots; ++k) {
    const FrozenTraceSlot& slot = t.frozen_average[k];
    if (slot.frozen && !slot.hidden) {
      columns.push_back(
          RowsColumn(Numbered("Frozen Average", k), slot.y.data(), n, 0, reference, span));
    }
  }
  const int32_t bins = std::clamp<int32_t>(s.bin_count, 1, std::max(n, 1));
  const int32_t smoothed = std::max(n - bins + 1, 0);
  const int32_t centre = (bins - 1) / 2;
  if (t.bin_average_on && !s.bin_average_hidden) {
    columns.push_back(
        RowsColumn("Bin Average", t.bin_average_y.data(), smoothed, centre, reference, span));
  }
  for (int k = 0; k < kTraceSlots; ++k) {
    const FrozenTraceSlot& slot = t.frozen_bin_average[k];
    if (slot.frozen && !slot.hidden) {
      columns.push_back(RowsColumn(Numbered("Frozen Bin Average", k), slot.y.data(), smoothed,
                                   centre, reference, span));
    }
  }
  // Last, so the columns before it stay where scripts expect them.
  const MinHoldSlot& min = t.min_hold;
  if ((min.live || min.frozen) && !min.hidden) {
    columns.push_back(
        {"Min Hold", 0, {min.sixteenths.begin(), min.sixteenths.begin() + t.MinHoldPoints()}});
  }
  return columns;
}

std::string TraceCsv(uint32_t start, uint16_t sweep_word, int32_t points,
                     const std::vector<TraceColumn>& columns) {
  std::string out = "Frequency (Hz)";
  for (const TraceColumn& column : columns) out += "," + column.name + " (dBm)";
  out += '\n';
  out.reserve(out.size() + static_cast<size_t>(std::max(points, 0)) * (12 + 10 * columns.size()));
  for (int32_t point = 0; point < points; ++point) {
    char hz[24];
    const uint64_t frequency = (uint64_t{start} + uint64_t(point) * sweep_word) * kHzPerStep;
    out.append(hz, static_cast<size_t>(std::to_chars(hz, hz + sizeof hz, frequency).ptr - hz));
    for (const TraceColumn& column : columns) {
      out += ',';
      const int64_t j = int64_t{point} - column.first_point;
      if (j >= 0 && j < static_cast<int64_t>(column.sixteenths.size())) {
        out += CsvLevelText(column.sixteenths[static_cast<size_t>(j)]);
      }
    }
    out += '\n';
  }
  return out;
}

bool WriteFileReplacing(const std::string& path, std::string_view text, std::string* error) {
  const auto fail = [&](const std::string& what, int code) {
    if (error != nullptr) *error = what + ": " + std::strerror(code);
    return false;
  };
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return fail("cannot create a file beside " + path, errno);
  ::fchmod(fd, 0644);  // mkstemp makes it private; an export is an ordinary file
  size_t done = 0;
  int code = 0;
  while (done < text.size() && code == 0) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno != EINTR) code = errno;
    if (n > 0) done += static_cast<size_t>(n);
  }
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlink(temporary.c_str());
    return fail("cannot write " + path, code);
  }
  return true;
}

}  // namespace qv
