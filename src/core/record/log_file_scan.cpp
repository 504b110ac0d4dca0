#include "core/record/log_file_scan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qv {
namespace {

// A stream over a file descriptor that counts what was read and reads nothing more once
// cancelled, so the reader's own walk reports progress and stops without knowing of either.
struct Source {
  int fd = -1;
  uint64_t base = 0;  // bytes of the passes before this one
  uint64_t total = 0;
  uint64_t read = 0;
  uint64_t reported = 0;
  const std::atomic<bool>* cancel = nullptr;
  const std::function<void(uint64_t, uint64_t)>* progress = nullptr;
};

ssize_t ReadSource(void* cookie, char* buffer, size_t size) {
  auto* source = static_cast<Source*>(cookie);
  if (source->cancel->load(std::memory_order_relaxed)) return 0;
  ssize_t got;
  do {
    got = ::read(source->fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) return got;
  source->read += static_cast<uint64_t>(got);
  // A call per megabyte or so is plenty for a progress bar.
  if (*source->progress && source->read - source->reported >= (uint64_t{1} << 20)) {
    source->reported = source->read;
    (*source->progress)(source->base + source->read, source->total);
  }
  return got;
}

// One streamed pass of `visitor` over the file; the read error's text, if any, into `error`.
LogScanResult Pass(Source& source, LogVisitor& visitor, std::string* error) {
  source.read = source.reported = 0;
  if (lseek(source.fd, 0, SEEK_SET) != 0) {
    *error = std::strerror(errno);
    return {};
  }
  cookie_io_functions_t io{};
  io.read = &ReadSource;
  std::FILE* file = fopencookie(&source, "r", io);
  if (file == nullptr) {
    *error = std::strerror(errno);
    return {};
  }
  const LogScanResult result = ScanLogStream(file, visitor, error);
  std::fclose(file);
  return result;
}

}  // namespace

LogOverviewGrid OverviewGridOf(const LogScan& scan, uint32_t max_rows, uint32_t max_columns) {
  LogOverviewGrid grid;
  if (!scan.Earliest() || scan.Settings().empty()) return grid;
  grid.first_second = *scan.Earliest();
  grid.last_second = *scan.Latest();
  grid.low_hz = UINT64_MAX;
  uint64_t points = 0;
  for (const LogSweepSetting& s : scan.Settings()) {
    grid.low_hz = std::min(grid.low_hz, s.LowHz());
    grid.high_hz = std::max(grid.high_hz, s.HighHz());
    points = std::max<uint64_t>(points, s.points);
  }
  const uint64_t seconds = static_cast<uint64_t>(grid.last_second - grid.first_second) + 1;
  grid.rows = static_cast<uint32_t>(std::min<uint64_t>(max_rows, seconds));
  grid.columns = static_cast<uint32_t>(std::min<uint64_t>(max_columns, points));
  return grid;
}

LogFileScan ScanLogFile(const std::string& path, const std::atomic<bool>& cancel,
                        const std::function<void(uint64_t, uint64_t)>& progress) {
  LogFileScan out;
  std::string error;
  Source source;
  source.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  source.cancel = &cancel;
  source.progress = &progress;
  struct stat st {};
  if (source.fd < 0 || fstat(source.fd, &st) != 0) {
    out.damage = path + ": " + std::strerror(errno);
    if (source.fd >= 0) ::close(source.fd);
    out.timeline = std::make_unique<LogTimeline>(std::vector<LogTimeEntry>{}, 0, 0);
    return out;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  source.total = 2 * size;
  out.result = Pass(source, out.scan, &error);
  const uint64_t end = out.result.torn ? out.result.torn_at : source.read - out.result.trailing;
  out.timeline = std::make_unique<LogTimeline>(out.scan.Index(), out.scan.Sweeps(), end);
  LogOverviewGrid grid = OverviewGridOf(out.scan, kOverviewMaxRows, kOverviewMaxColumns);
  if (grid.rows != 0) {
    // Rows by elapsed time, as the slider under the strip counts it.
    grid.elapsed = true;
    // Each setting's sweeps over their own frequencies: settings far apart would otherwise
    // leave each a sliver of the strip.
    grid.own_frequencies = true;
    grid.first_second = 0;
    grid.last_second = out.timeline->Duration();
    grid.rows = static_cast<uint32_t>(std::min<int64_t>(kOverviewMaxRows, grid.last_second + 1));
  }
  if (!cancel && error.empty() && grid.rows != 0) {
    out.overview = std::make_unique<LogOverview>(grid);
    source.base = size;
    Pass(source, *out.overview, &error);
    out.overview->LevelRange();  // folds what is pending here, not on the thread reading it
  }
  ::close(source.fd);
  out.cancelled = cancel;
  if (!out.cancelled) {
    if (progress) progress(source.total, source.total);
    out.damage = ScanDamageText(out.result, *out.timeline, error);
  }
  return out;
}

std::string ScanDamageText(const LogScanResult& result, const LogTimeline& timeline,
                           const std::string& read_error) {
  std::string text;
  const auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
  if (const std::string damage = LogDamageText(result); !damage.empty()) add(damage);
  if (!read_error.empty()) add("read error: " + read_error);
  if (result.trailing != 0)
    add(std::to_string(result.trailing) + " bytes after the end record not read");
  const std::vector<uint64_t> back = timeline.ClockSetBack();
  if (!back.empty()) {
    std::string part = "the clock went back at byte " + std::to_string(back.front());
    if (back.size() > 1) part += " (" + std::to_string(back.size()) + " times)";
    add(part);
  }
  // A time record a second: a longer step forward means some are missing (or unreadable).
  uint64_t gaps = 0;
  int64_t missing = 0;
  uint64_t first_gap = 0;
  for (size_t i = 1; i < timeline.Entries(); ++i) {
    const int64_t step = timeline.Elapsed(i) - timeline.Elapsed(i - 1);
    if (step <= 1) continue;
    if (gaps++ == 0) first_gap = timeline.Entry(i).offset;
    missing += step - 1;
  }
  if (gaps != 0) {
    add(std::to_string(missing) + " s without time records before byte " +
        std::to_string(first_gap) + (gaps > 1 ? " (" + std::to_string(gaps) + " gaps)" : ""));
  }
  if (!text.empty() && text.rfind("damaged", 0) != 0) text = "damaged: " + text;
  return text;
}

}  // namespace qv
