#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/listen_address.h"
#include "core/app/remembered_settings.h"

namespace qv {

// A limit on a log file or on the logs kept: an age or a size; both zero means none.
struct FileLimit {
  int64_t seconds = 0;
  uint64_t bytes = 0;

  bool None() const { return seconds == 0 && bytes == 0; }
  friend bool operator==(const FileLimit&, const FileLimit&) = default;
};

// What quorvalin-recorder is asked to do, every value already checked.
struct RecorderOptions {
  RememberedLink connect;                     // required
  std::optional<double> start_mhz, stop_mhz;  // both or neither; else the Receiver's default
  std::string log_dir;                        // required
  FileLimit rotate;                           // none: one file per connection
  FileLimit keep;                             // none: keep all
  std::string limit, limit_lower, limit_events;
  std::optional<ListenAddress> metrics;
  std::optional<ListenAddress> scpi;
  std::string scpi_dir;  // where remote commands read and write files; empty: the current folder
  std::string plan;  // empty: the plan that covers the band swept
  int32_t threshold_dbm = -85;
  int64_t channel_span_ms = 60000;
  bool verbose = false;
};

struct RecorderCommandLine {
  enum class Action { kRun, kHelp, kVersion, kError };
  Action action = Action::kRun;
  RecorderOptions options;
  std::string error;  // one line naming the option, or the file and line, at fault
};

// argv with the program name first. --config FILE reads `key = value` lines at the place it
// stands, so options after it override the file's and the file's override those before it.
RecorderCommandLine ParseRecorderCommandLine(const std::vector<std::string>& arguments);

// The lines of a config file into `options`, over what they hold. False with one line in
// `error` ("FILE:LINE: ...") at the first mistake; the lines before it are then already taken.
bool ParseRecorderConfigText(std::string_view text, const std::string& file_name,
                             RecorderOptions* options, std::string* error);

std::string RecorderHelpText();

// "1h", "90s", "30m", "2d" (also "1w"); nullopt for anything else (a bare number is refused: the
// unit must be said) and for zero.
std::optional<int64_t> ParseDurationSeconds(std::string_view text);
// "500M", "2G", "64K", "1T" (powers of 1024; "MB"/"MiB" also read, "k" for "K"); nullopt for
// anything else and for zero.
std::optional<uint64_t> ParseSizeBytes(std::string_view text);
// DURATION or SIZE by its suffix: "30m" is minutes, "30M" mebibytes.
std::optional<FileLimit> ParseFileLimit(std::string_view text);

}  // namespace qv
