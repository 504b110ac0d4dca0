#include "log/log_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <cmath>
#include <optional>
#include <utility>

#include "core/display/graph_texts.h"
#include "core/link/little_endian.h"
#include "core/link/sweep_message.h"
#include "core/record/capture_file.h"
#include "core/control/channel_plans.h"
#include "core/record/log_channels.h"
#include "core/record/log_csv.h"
#include "core/record/log_format.h"
#include "core/record/log_reader.h"
#include "core/record/log_scan.h"
#include "core/record/log_time.h"
#include "core/record/log_timeline.h"
#include "log/log_bytes.h"
#include "log/log_heatmap.h"

namespace qv::logtool {
namespace {

void Complain(const std::string& text) {
  std::fprintf(stderr, "quorvalin-log: %s\n", text.c_str());
}

const char* TypeName(uint8_t type) {
  switch (type) {
    case kLogHeaderType:
      return "header";
    case kLogTimeType:
      return "time";
    case kLogEndType:
      return "end";
    case kLogOldEndType:
      return "end (old)";
    case kMsgFirmware:
      return "firmware";
    case kMsgSerialNumber:
      return "serial number";
    case kMsgSweep:
      return "sweep";
    case kMsgBandList:
      return "band list";
    case kMsgTriggerSweep:
      return "trigger sweep";
    default:
      return "message";
  }
}

// Receiver frequency steps (50 kHz) as MHz, exactly: two decimals always suffice.
std::string Mhz(uint64_t steps) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRIu64 ".%02" PRIu64, steps / 20, steps % 20 * 5);
  return text;
}

// Month, day, year - 2000, hour, minute, second as stored.
std::string ClockText(const uint8_t* c) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + c[2], c[0], c[1], c[3],
                c[4], c[5]);
  return text;
}

std::string ClockText(const LogClock& c) {
  const uint8_t bytes[6] = {c.month, c.day, c.year, c.hour, c.minute, c.second};
  return ClockText(bytes);
}

// Text fields of outside data, with anything unprintable shown as '.'.
std::string Printable(const uint8_t* bytes, size_t length) {
  std::string text;
  for (size_t i = 0; i < length && bytes[i] != 0; ++i)
    text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
  return text;
}
std::string Printable(const std::string& s) {
  return Printable(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

std::string Summary(const LogRecordView& record) {
  char text[200];
  if (SweepLevelsOffset(record.type) != 0) {
    const std::optional<SweepHeader> h = SweepHeaderOfRecord(record);
    if (!h) return "too short for a sweep header";
    std::snprintf(text, sizeof text,
                  "start %s MHz, N %" PRIu32 ", block %s MHz, count %u, ref %d dBm",
                  Mhz(h->start).c_str(), h->points, Mhz(h->block_frequency).c_str(),
                  unsigned{h->block_count}, int{h->reference_level});
    return text;
  }
  switch (record.type) {
    case kLogTimeType:
      return record.length >= 6 ? ClockText(record.payload) : "too short";
    case kLogEndType:
    case kLogOldEndType:
      if (record.length < kLogEndPayload) return "too short";
      std::snprintf(text, sizeof text, "records written %" PRIu32 ", minutes %" PRIu32,
                    GetU32(record.payload), GetU32(record.payload + 4));
      return text;
    case kMsgFirmware:
    case kMsgSerialNumber:
      return "\"" + Printable(record.payload, std::min<size_t>(record.length, 40)) + "\"";
    case kMsgBandList:
      return record.length >= 1 ? std::to_string(record.payload[0]) + " bands" : "too short";
    default:
      return "";
  }
}

// Says on standard error how the walk ended when that was not at a proper end.
int Verdict(const std::string& path, const LogScanResult& result) {
  const std::string damage = LogDamageText(result);
  if (damage.empty()) return kExitOk;
  Complain(path + ": " + damage);
  return kExitDamaged;
}

// The damage as a line of `info`: "Damaged: torn record at byte N", "Not a spectrum log: ...".
void PrintDamage(const LogScanResult& result) {
  std::string damage = LogDamageText(result);
  if (damage.empty()) return;
  damage[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(damage[0])));
  std::printf("%s\n", damage.c_str());
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

int FinishStdout(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Complain(std::string("cannot write the output: ") + std::strerror(errno));
    return kExitDamaged;
  }
  return status;
}

class InfoVisitor : public LogVisitor {
 public:
  void OnHeader(const LogHeaderInfo& header) override { header_ = header; }
  void OnRecord(const LogRecordView& record) override {
    ++counts_[record.type];
    ++records_;
    if (record.type == kLogTimeType && record.length >= 6) {
      if (!first_time_) first_time_ = ClockText(record.payload);
      last_time_ = ClockText(record.payload);
    }
    if (record.type == kLogEndType || record.type == kLogOldEndType) end_seen_ = true;
    if ((record.type == kLogEndType || record.type == kLogOldEndType) &&
        record.length >= kLogEndPayload) {
      end_written_ = GetU32(record.payload);
      end_minutes_ = GetU32(record.payload + 4);
    }
  }

  // `window`: "--from A --to B" of a slice, empty for the whole log.
  void Print(const std::string& path, const LogScanResult& result,
             const std::string& window) const {
    const bool sliced = !window.empty();
    const std::string title = LogFormatTitle(path);
    std::printf("File: %s\n", path.c_str());
    // Nothing of another kind of file is shown as if it were a log's header.
    if (result.not_a_log) {
      PrintDamage(result);
      return;
    }
    std::printf("Format: %s\n",
                title.empty() ? "unknown (the name ends neither in .kzq nor .zn)" : title.c_str());
    // A cut header still names the device, firmware and serial; the rest needs all of it.
    const bool missing = header_.device_name.empty() && !header_.complete && header_.version == 0;
    if (missing) {
      std::printf("Header: missing\n");
    } else {
      std::printf("Device: %s\n", Printable(header_.device_name).c_str());
      std::printf("Header version: %u\n", unsigned{header_.version});
      std::printf("Firmware: %s\n", Printable(header_.firmware).c_str());
      std::printf("Serial: %s\n", Printable(header_.serial).c_str());
    }
    if (header_.complete) {
      std::printf("Date and time: %s\n", ClockText(header_.clock).c_str());
      const ReceiverIdentity& id = header_.identity;
      const int bands = std::min<int>(id.band_count, kMaxBands);
      std::printf("Bands: %d\n", bands);
      for (int i = 0; i < bands; ++i) {
        std::printf("  %s - %s MHz\n", Mhz(id.bands[i].start).c_str(),
                    Mhz(id.bands[i].stop).c_str());
      }
    } else if (!missing) {
      std::printf("Header: incomplete, no date, time or bands\n");
    }
    if (sliced) std::printf("Slice: %s\n", window.c_str());
    std::printf("Records %s: %" PRIu64 "\n", sliced ? "in the slice" : "after the header",
                records_);
    for (int type = 0; type < 256; ++type) {
      if (counts_[type] == 0) continue;
      std::printf("  0x%02X %-14s %" PRIu64 "\n", type, TypeName(static_cast<uint8_t>(type)),
                  counts_[type]);
    }
    const char* where = sliced ? " in the slice" : "";
    std::printf("First time record%s: %s\n", where, first_time_ ? first_time_->c_str() : "none");
    std::printf("Last time record%s: %s\n", where, first_time_ ? last_time_.c_str() : "none");
    // Its counts are the whole log's, whatever the slice.
    if (end_written_) {
      std::printf("End record%s: yes, records written %" PRIu32 ", minutes %" PRIu32 "\n",
                  where, *end_written_, end_minutes_);
    } else if (end_seen_) {
      std::printf("End record%s: yes, too short for its counts\n", where);
    } else if (sliced) {
      std::printf("End record in the slice: no (%s)\n",
                  result.ended ? "the log's comes after it" : "the log has none");
    } else {
      std::printf("End record: no\n");
    }
    if (result.trailing != 0)
      std::printf("Bytes after the end record (not read): %" PRIu64 "\n", result.trailing);
    PrintDamage(result);
  }

 private:
  LogHeaderInfo header_;
  std::array<uint64_t, 256> counts_{};
  uint64_t records_ = 0;
  std::optional<std::string> first_time_;
  std::string last_time_;
  std::optional<uint32_t> end_written_;
  bool end_seen_ = false;
  uint32_t end_minutes_ = 0;
};

class DumpVisitor : public LogVisitor {
 public:
  void OnHeader(const LogHeaderInfo& header) override {
    // A header is only taken when its bytes so far are those of a header record's prefix.
    if (header.bytes < kLogRecordPrefix) return;
    const uint8_t type = kLogHeaderType;
    std::printf("%10d  %-14s 0x%02X  %5u  %s, version %u, firmware \"%s\", serial \"%s\", %s\n", 0,
                TypeName(type), type, unsigned{kLogHeaderPayload},
                Printable(header.device_name).c_str(), unsigned{header.version},
                Printable(header.firmware).c_str(), Printable(header.serial).c_str(),
                ClockText(header.clock).c_str());
  }
  void OnRecord(const LogRecordView& record) override {
    std::printf("%10" PRIu64 "  %-14s 0x%02X  %5u  %s\n", record.offset, TypeName(record.type),
                record.type, unsigned{record.length}, Summary(record).c_str());
  }
};

// CSV text to a stream in large writes; remembers the first failure.
class StreamSink {
 public:
  explicit StreamSink(std::FILE* stream) : stream_(stream) {}
  bool Write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stream_) == text.size()) return true;
    error_ = errno;
    return false;
  }
  int Error() const { return error_; }

 private:
  std::FILE* stream_;
  int error_ = 0;
};

const char* SweepTypeName(uint8_t type) {
  return type == kMsgSweep ? "spectrum" : type == kMsgTriggerSweep ? "power trigger" : "unknown";
}

int CaptureVerdict(const std::string& path, const CaptureScan& scan) {
  if (scan.problem.empty()) return kExitOk;
  Complain(path + ": damaged: " + scan.problem);
  return kExitDamaged;
}

int CaptureInfo(const std::string& path, const LogBytes& bytes) {
  const CaptureScan scan = ScanCaptureFile(bytes.data(), bytes.size());
  std::printf("File: %s\n", path.c_str());
  std::printf("Format: instant capture file\n");
  std::printf("Captures: %zu\n", scan.entries.size());
  for (const CaptureEntry& e : scan.entries) {
    const CaptureSweep& s = e.sweep;
    std::printf("Capture %" PRIu32 " (list #%" PRIu64 ") at byte %" PRIu64 "\n", e.number,
                uint64_t{e.number} + 1, e.offset);
    std::printf("  Date and time: %s\n", ClockText(e.clock).c_str());
    std::printf("  Comment: %s\n", Printable(e.comment).c_str());
    std::printf("  Sweep type: %u (%s)\n", unsigned{s.type}, SweepTypeName(s.type));
    std::printf("  Start: %s MHz\n", Mhz(s.start).c_str());
    std::printf("  Points: %" PRIu32 "\n", s.points);
    std::printf("  %s (code %u)\n", RbwText(s.rbw_code).c_str(), unsigned{s.rbw_code});
    std::printf("  Reference level: %d dBm\n", int{s.reference_level});
    std::printf("  Power: %.2f dBm\n", double{s.power});
  }
  if (scan.has_trailer) {
    std::printf("Trailer: count %" PRIu32 "\n", scan.trailer_count);
  } else {
    std::printf("Trailer: none\n");
  }
  if (!scan.problem.empty()) std::printf("Damaged: %s\n", scan.problem.c_str());
  const int status = FinishStdout(kExitOk);
  const int verdict = CaptureVerdict(path, scan);
  return status != kExitOk ? status : verdict;
}

int CaptureDump(const std::string& path, const LogBytes& bytes) {
  const CaptureScan scan = ScanCaptureFile(bytes.data(), bytes.size());
  for (const CaptureEntry& e : scan.entries) {
    std::printf("%10" PRIu64 "  capture %" PRIu32 "  %s, type %u, start %s MHz, N %" PRIu32
                ", ref %d dBm, \"%s\"\n",
                e.offset, e.number, ClockText(e.clock).c_str(), unsigned{e.sweep.type},
                Mhz(e.sweep.start).c_str(), e.sweep.points, int{e.sweep.reference_level},
                Printable(e.comment).c_str());
  }
  if (scan.problem.empty() && scan.has_trailer) {
    std::printf("%10" PRIu64 "  trailer  count %" PRIu32 "\n", scan.entries_end,
                scan.trailer_count);
  } else if (!scan.problem.empty()) {
    std::printf("%10" PRIu64 "  damaged\n", scan.entries_end);
  }
  const int status = FinishStdout(kExitOk);
  const int verdict = CaptureVerdict(path, scan);
  return status != kExitOk ? status : verdict;
}

// An input opened for a command: a log is read as a stream; a capture file (small: a few
// hundred bytes a capture) is read whole.
struct Input {
  Input() = default;
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    if (file != nullptr) std::fclose(file);
  }
  std::FILE* file = nullptr;
  bool capture = false;
  bool walked = false;  // a second walk starts over: a pipe allows only one
  LogBytes bytes;
};

bool OpenFile(const std::string& path, Input& in) {
  in.file = std::fopen(path.c_str(), "rb");
  struct stat info {};
  int error = in.file == nullptr ? errno : 0;
  if (error == 0 && ::fstat(::fileno(in.file), &info) == 0 && S_ISDIR(info.st_mode)) error = EISDIR;
  if (error != 0) {
    Complain("cannot read " + path + ": " + std::strerror(error));
    return false;
  }
  const int c = std::getc(in.file);
  if (c != EOF) std::ungetc(c, in.file);
  const uint8_t first = static_cast<uint8_t>(c);
  in.capture = IsCaptureFile(path, c == EOF ? nullptr : &first);
  if (!in.capture) return true;
  std::fclose(in.file);
  in.file = nullptr;
  std::string reason;
  if (in.bytes.Open(path, &reason)) return true;
  Complain("cannot read " + reason);
  return false;
}

// Streams the log from its start through `visitor`, cut to the options' window. False (said on
// standard error) when the file could not be read.
bool Walk(const std::string& path, Input& in, const Options& options, LogVisitor& visitor,
          LogScanResult* result) {
  if (std::exchange(in.walked, true) && std::fseek(in.file, 0, SEEK_SET) != 0) {
    Complain("cannot read " + path + ": " + std::strerror(errno));
    return false;
  }
  LogTimeWindow window(visitor, options.from, options.to);
  std::string error;
  *result = ScanLogStream(in.file, window, &error);
  if (!error.empty()) {
    Complain("cannot read " + path + ": " + error);
    return false;
  }
  if (options.window.empty() || window.Passed() != 0 || result->not_a_log) return true;
  // Said, not shown as an empty result: an empty output reads as a log with nothing in it.
  std::string span = "the log spans +00:00:00 to " + ElapsedText(window.Elapsed());
  if (window.LastClock()) span += ", its last clock " + LogSecondsText(*window.LastClock());
  Complain(path + ": no record between " + options.window + " (" + span + ")");
  return false;
}

// The same walk, the sweeps that are not whole left out, as csv leaves them out: inside the
// window, so a sweep it cuts is not whole either.
bool WalkWholeSweeps(const std::string& path, Input& in, const Options& options,
                     LogVisitor& visitor, LogScanResult* result) {
  LogWholeSweeps whole(visitor);
  const bool read = Walk(path, in, options, whole, result);
  whole.Finish();
  return read;
}

// A time window cuts logs only: captures keep no time records.
bool LogOnly(const std::string& path, const Input& in, const Options& options,
             const std::string& command) {
  if (!in.capture) return true;
  const bool logs_only = command == "summary" || command == "heatmap" || command == "channels";
  if (options.from || options.to || logs_only) {
    Complain(path + ": a capture file, not a spectrum log: " + command +
             (logs_only ? "" : " --from/--to") +
             " reads logs only");
    return false;
  }
  return true;
}

// Opens the file for `command`, which may need it to be a log.
bool Open(const std::string& path, Input& in, const Options& options, const std::string& command) {
  return OpenFile(path, in) && LogOnly(path, in, options, command);
}

int Both(int status, int verdict) { return status != kExitOk ? status : verdict; }

// Opens the output: standard output for "-" or none.
std::FILE* OpenOutput(const std::string& path, const std::string& out_path) {
  if (out_path.empty() || out_path == "-") return stdout;
  if (SameFile(path, out_path)) {
    Complain("cannot write " + out_path + ": it is the log being read");
    return nullptr;
  }
  std::FILE* out = std::fopen(out_path.c_str(), "wb");
  if (out == nullptr) Complain("cannot create " + out_path + ": " + std::strerror(errno));
  return out;
}

// Flushes and closes the output; false (said) when anything failed to be written.
bool CloseOutput(std::FILE* out, const std::string& out_path, bool written, int error) {
  const bool to_stdout = out == stdout;
  if (written && std::fflush(out) != 0) {
    written = false;
    error = errno;
  }
  if (!to_stdout && std::fclose(out) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    Complain("cannot write " + (to_stdout ? std::string("the output") : out_path) + ": " +
             std::strerror(error));
  }
  return written;
}

}  // namespace

int RunInfo(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "info")) return kExitDamaged;
  if (in.capture) return CaptureInfo(path, in.bytes);
  InfoVisitor info;
  LogScanResult result;
  if (!Walk(path, in, options, info, &result)) return kExitDamaged;
  info.Print(path, result, options.window);
  return Both(FinishStdout(kExitOk), Verdict(path, result));
}

int RunDump(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "dump")) return kExitDamaged;
  if (in.capture) return CaptureDump(path, in.bytes);
  DumpVisitor dump;
  LogScanResult result;
  if (!Walk(path, in, options, dump, &result)) return kExitDamaged;
  if (result.torn) std::printf("%10" PRIu64 "  torn record\n", result.torn_at);
  return Both(FinishStdout(kExitOk), Verdict(path, result));
}

int RunCsv(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "csv")) return kExitDamaged;
  std::FILE* out = OpenOutput(path, options.out);
  if (out == nullptr) return kExitDamaged;
  StreamSink sink(out);
  LogCsvExport csv([&sink](std::string_view text) { return sink.Write(text); });
  LogScanResult result;
  CaptureScan captures;
  bool read = true;
  if (in.capture) {
    captures = ScanCaptureFile(in.bytes.data(), in.bytes.size());
    for (const CaptureEntry& entry : captures.entries) csv.WriteCapture(entry);
  } else {
    read = Walk(path, in, options, csv, &result);
  }
  const bool written = csv.Finish();
  if (!CloseOutput(out, options.out, written, sink.Error()) || !read) return kExitDamaged;
  return in.capture ? CaptureVerdict(path, captures) : Verdict(path, result);
}

int RunSummary(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "summary")) return kExitDamaged;
  LogWindowStats stats(options.threshold);
  LogScanResult result;
  if (!WalkWholeSweeps(path, in, options, stats, &result)) return kExitDamaged;
  std::FILE* out = OpenOutput(path, options.out);
  if (out == nullptr) return kExitDamaged;
  StreamSink sink(out);
  std::string text = "Hz, min dBm, mean dBm, max dBm, share at or above " +
                     std::string(CsvLevelText(static_cast<int16_t>(options.threshold))) +
                     " dBm\n";
  bool first = true;
  for (const LogWindowStats::Setting& setting : stats.Settings()) {
    if (!first) text += "\n";  // an empty line between the settings' blocks
    first = false;
    for (uint32_t i = 0; i < setting.points.size(); ++i) {
      const LogWindowStats::Point& p = setting.points[i];
      if (p.count == 0) continue;
      const auto mean = static_cast<int16_t>(
          std::llround(static_cast<double>(p.sum) / static_cast<double>(p.count)));
      char share[32];
      std::snprintf(share, sizeof share, "%.4f", double(p.reached) / double(p.count));
      text += std::to_string(setting.setting.PointHz(i)) + ", ";
      text += std::string(CsvLevelText(p.min)) + ", " + std::string(CsvLevelText(mean)) + ", " +
              std::string(CsvLevelText(p.max)) + ", " + share + "\n";
      if (text.size() > (1u << 16)) {
        sink.Write(text);
        text.clear();
      }
    }
  }
  const bool written = sink.Write(text) && sink.Error() == 0;
  if (!CloseOutput(out, options.out, written, sink.Error())) return kExitDamaged;
  return Verdict(path, result);
}

int RunChannels(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "channels")) return kExitDamaged;
  LogChannelUse use(options.plan.empty() ? nullptr : ChannelPlanById(options.plan),
                    options.threshold);
  LogScanResult result;
  if (!WalkWholeSweeps(path, in, options, use, &result)) return kExitDamaged;
  if (use.Plan() == nullptr) {
    Complain(path + ": no sweep in the band of a channel plan" +
             (options.from || options.to ? " between --from and --to" : ""));
    return Both(kExitDamaged, Verdict(path, result));
  }
  std::FILE* out = OpenOutput(path, options.out);
  if (out == nullptr) return kExitDamaged;
  StreamSink sink(out);
  const bool written = sink.Write(ChannelUseCsv(*use.Plan(), use.Figures())) && sink.Error() == 0;
  if (!CloseOutput(out, options.out, written, sink.Error())) return kExitDamaged;
  return Verdict(path, result);
}

int RunHeatmap(const std::string& path, const Options& options) {
  Input in;
  if (!Open(path, in, options, "heatmap")) return kExitDamaged;
  if (SameFile(path, options.out)) {
    Complain("cannot write " + options.out + ": it is the log being read");
    return kExitDamaged;
  }
  // First the time span and the frequencies, then the cells over them.
  LogScan scan;
  LogScanResult result;
  if (!WalkWholeSweeps(path, in, options, scan, &result)) return kExitDamaged;
  if (scan.Settings().empty() || !scan.Earliest()) {
    Complain(path + ": no sweep with a time to draw" +
             (options.from || options.to ? " between --from and --to" : ""));
    return Both(kExitDamaged, Verdict(path, result));
  }
  LogOverviewGrid grid{*scan.Earliest(), *scan.Latest(), UINT64_MAX, 0, 0, 0};
  for (const LogSweepSetting& s : scan.Settings()) {
    grid.low_hz = std::min(grid.low_hz, s.LowHz());
    grid.high_hz = std::max(grid.high_hz, s.HighHz());
  }
  const HeatmapLayout layout = HeatmapLayoutFor(options.width, options.height);
  grid.rows = layout.rows;
  grid.columns = layout.columns;
  LogOverview overview(grid);
  if (!WalkWholeSweeps(path, in, options, overview, &result)) return kExitDamaged;
  const HeatmapPicture picture(overview, options.width, options.height);
  std::string error;
  if (!WriteHeatmapPng(options.out, picture, options.width, options.height, &error)) {
    Complain(error);
    return kExitDamaged;
  }
  return Verdict(path, result);
}

}  // namespace qv::logtool
