#include "core/app/recorder_options.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "core/app/command_line.h"
#include "core/app/help_rows.h"
#include "core/control/channel_plans.h"
#include "core/control/frequency_rules.h"

namespace qv {
namespace {

// How an option's value is read; the file options keep a name.
enum class Kind {
  kHelp,
  kVersion,
  kVerbose,
  kConfig,
  kConnect,
  kStart,
  kStop,
  kLogDir,
  kRotate,
  kKeep,
  kFile,
  kMetrics,
  kScpi,
  kScpiDir,
  kPlan,
  kThreshold,
  kChannelSpan
};

struct OptionSpec {
  Kind kind;
  char short_name;  // 0: none
  std::string_view name;
  std::string_view value;  // empty: a switch
  std::string_view help;
  std::string RecorderOptions::*file = nullptr;
};

using R = RecorderOptions;

// In the order --help lists them.
const OptionSpec kOptions[] = {
    {Kind::kHelp, 'h', "help", "", "Show this help and exit."},
    {Kind::kVersion, 0, "version", "", "Show the version and exit."},
    {Kind::kConnect, 0, "connect", "URI",
     "The Receiver: tcp://HOST[:PORT], serial:DEVICE\nor usb:SERIAL (see below). Required."},
    {Kind::kStart, 0, "start", "MHZ",
     "Sweep from MHZ, with --stop; the two must lie\nin one band of the Receiver."},
    {Kind::kStop, 0, "stop", "MHZ",
     "Sweep up to MHZ. Without --start and --stop,\nthe Receiver's default spectrum."},
    {Kind::kLogDir, 0, "log-dir", "DIR",
     "Write the logs into DIR, named\nquorvalin-YYYYMMDD-HHMMSS.kzq. Required."},
    {Kind::kRotate, 0, "rotate", "DURATION|SIZE",
     "Begin the next log after DURATION (30m, 1h, 1d)\nor SIZE (64K, 500M, 2G), at least 10s or "
     "64K.\nUnset: one log per connection."},
    {Kind::kKeep, 0, "keep", "DURATION|SIZE",
     "Delete the oldest logs in DIR once older than\nDURATION, or while all of them pass SIZE.\n"
     "Unset: keep every log."},
    {Kind::kFile, 0, "limit", "FILE",
     "Check every sweep against the upper limit line\nin the CSV file FILE.", &R::limit},
    {Kind::kFile, 0, "limit-lower", "FILE",
     "Check every sweep against the lower limit line\nin the CSV file FILE.", &R::limit_lower},
    {Kind::kFile, 0, "limit-events", "FILE", "Write each limit violation as a CSV row to FILE.",
     &R::limit_events},
    {Kind::kMetrics, 0, "metrics", "[ADDR:]PORT",
     "Serve the figures for Prometheus on PORT, at\n127.0.0.1 unless ADDR is given (* for every\n"
     "address; [::1] for IPv6)."},
    {Kind::kScpi, 0, "scpi", "[ADDR:]PORT",
     "Take SCPI commands over TCP on PORT (5025 by\nconvention), at 127.0.0.1 unless ADDR is given."},
    {Kind::kScpiDir, 0, "scpi-dir", "DIR",
     "The folder of the files SCPI commands read and\nwrite. Unset: the current folder."},
    // The plans are listed by RecorderHelpText.
    {Kind::kPlan, 0, "plan", "PLAN", "The channel plan of the utilisation figures:"},
    {Kind::kThreshold, 0, "threshold", "DBM",
     "A channel is busy in a sweep reaching DBM there\n(-150 ... 0; default -85)."},
    {Kind::kChannelSpan, 0, "channel-span", "DURATION",
     "Figure the utilisation over the last DURATION\n(10s ... 1d; default 1m)."},
    {Kind::kConfig, 0, "config", "FILE",
     "Read options from FILE: `key = value` lines,\nkeys as the options without dashes, # "
     "comments.\nOptions after it override the file's."},
    {Kind::kVerbose, 0, "verbose", "", "Trace the link and the handshake on stderr."},
};

constexpr size_t kMaxConfigBytes = 64 * 1024;
constexpr int64_t kMinRotateSeconds = 10;
constexpr uint64_t kMinRotateBytes = 64 * 1024;
constexpr int32_t kMinThresholdDbm = -150;
constexpr int32_t kMaxThresholdDbm = 0;
constexpr int64_t kMinChannelSpanSeconds = 10;
constexpr int64_t kMaxChannelSpanSeconds = 86400;
constexpr size_t kMaxShownChars = 60;

const OptionSpec* FindLong(std::string_view name) {
  for (const OptionSpec& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

const OptionSpec* FindShort(char letter) {
  for (const OptionSpec& option : kOptions) {
    if (option.short_name != 0 && option.short_name == letter) return &option;
  }
  return nullptr;
}

// Quoted for a message: control bytes shown as '?' and a long text cut, so that whatever a file
// holds the message stays one readable line.
std::string Quoted(std::string_view text) {
  std::string shown = "'";
  for (size_t i = 0; i < text.size() && i < kMaxShownChars; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    shown += c < 0x20 || c == 0x7F ? '?' : text[i];
  }
  if (text.size() > kMaxShownChars) shown += "...";
  return shown + "'";
}

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r\f\v";
  const size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// Decimal digits only: no sign, no blanks.
std::optional<uint64_t> Whole(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || text.front() == '+' || error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

std::optional<int64_t> Integer(std::string_view text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> Number(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string NumberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<uint8_t> Octet(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  const std::optional<uint64_t> value = Whole(text);
  if (!value || *value > 255) return std::nullopt;
  return static_cast<uint8_t>(*value);
}

bool Ipv4(std::string_view text) {
  for (int part = 0; part < 4; ++part) {
    const size_t dot = text.find('.');
    if ((dot == std::string_view::npos) != (part == 3)) return false;
    if (!Octet(text.substr(0, dot))) return false;
    if (dot != std::string_view::npos) text.remove_prefix(dot + 1);
  }
  return true;
}

bool Ipv6(std::string_view text) {
  return text.find(':') != std::string_view::npos &&
         text.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

std::optional<uint16_t> ListenPort(std::string_view text) {
  if (text.size() > 5) return std::nullopt;
  const std::optional<uint64_t> value = Whole(text);
  if (!value || *value > 65535) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

// The bands the Receiver sweeps, for messages: "902.4-928, 2400-2500, ... MHz".
std::string BandsText() {
  std::string text;
  for (const Band& band : kBands) {
    if (!text.empty()) text += ", ";
    text += NumberText(StepsToMhz(band.low)) + "-" + NumberText(StepsToMhz(band.high));
  }
  return text + " MHz";
}

// Stores one option's value; an error text when the value cannot be taken. `shown` is the
// option as the user wrote it: "--rotate" on the command line, "rotate" in a config file.
std::string Take(RecorderOptions& options, const OptionSpec& option, std::string_view value,
                 const std::string& shown) {
  switch (option.kind) {
    case Kind::kConnect: {
      const std::optional<RememberedLink> link = ParseConnectUri(std::string(value));
      if (!link) {
        return shown + " cannot use " + Quoted(value) +
               " (tcp://HOST[:PORT], serial:/dev/ttyX or usb:SERIAL)";
      }
      options.connect = *link;
      return {};
    }
    case Kind::kStart:
    case Kind::kStop: {
      const std::optional<double> mhz = Number(value);
      // Far beyond any band: the check against the bands comes once both ends are known.
      if (!mhz || *mhz <= 0 || *mhz > 1e6) {
        return shown + " needs a frequency in MHz, not " + Quoted(value);
      }
      (option.kind == Kind::kStart ? options.start_mhz : options.stop_mhz) = *mhz;
      return {};
    }
    case Kind::kLogDir:
      if (value.empty()) return shown + " needs a folder name";
      options.log_dir = std::string(value);
      return {};
    case Kind::kRotate:
    case Kind::kKeep: {
      const std::optional<FileLimit> limit = ParseFileLimit(value);
      if (!limit) {
        return shown + " takes a duration (90s, 30m, 1h, 2d, 1w) or a size (64K, 500M, 2G), not " +
               Quoted(value);
      }
      if (option.kind == Kind::kKeep) {
        options.keep = *limit;
        return {};
      }
      if ((limit->seconds != 0 && limit->seconds < kMinRotateSeconds) ||
          (limit->bytes != 0 && limit->bytes < kMinRotateBytes)) {
        return shown + " needs at least 10s or 64K (a new file more often only thrashes), not " +
               Quoted(value);
      }
      options.rotate = *limit;
      return {};
    }
    case Kind::kMetrics: {
      const std::optional<ListenAddress> address = ParseListenAddress(value);
      if (!address) {
        return shown + " takes [ADDR:]PORT (9101, 0.0.0.0:9101, [::1]:9101, *:9101), not " +
               Quoted(value);
      }
      options.metrics = *address;
      return {};
    }
    case Kind::kScpi: {
      const std::optional<ListenAddress> address = ParseListenAddress(value);
      if (!address) {
        return shown + " takes [ADDR:]PORT (5025, 0.0.0.0:5025, [::1]:5025, *:5025), not " +
               Quoted(value);
      }
      options.scpi = *address;
      return {};
    }
    case Kind::kScpiDir:
      if (value.empty()) return shown + " needs a folder name";
      options.scpi_dir = std::string(value);
      return {};
    case Kind::kPlan:
      if (ChannelPlanById(value) == nullptr) {
        return shown + " takes one of " + ChannelPlanIds() + ", not " + Quoted(value);
      }
      options.plan = std::string(value);
      return {};
    case Kind::kThreshold: {
      const std::optional<int64_t> dbm = Integer(value);
      if (!dbm || *dbm < kMinThresholdDbm || *dbm > kMaxThresholdDbm) {
        return shown + " needs a whole number of dBm from -150 to 0, not " + Quoted(value);
      }
      options.threshold_dbm = static_cast<int32_t>(*dbm);
      return {};
    }
    case Kind::kChannelSpan: {
      const std::optional<int64_t> seconds = ParseDurationSeconds(value);
      if (!seconds || *seconds < kMinChannelSpanSeconds || *seconds > kMaxChannelSpanSeconds) {
        return shown + " needs a duration from 10s to 1d, not " + Quoted(value);
      }
      options.channel_span_ms = *seconds * 1000;
      return {};
    }
    case Kind::kVerbose:
      if (value == "yes" || value == "true" || value == "1") {
        options.verbose = true;
      } else if (value == "no" || value == "false" || value == "0") {
        options.verbose = false;
      } else {
        return shown + " takes yes, no, true, false, 1 or 0, not " + Quoted(value);
      }
      return {};
    case Kind::kFile:
      if (value.empty()) return shown + " needs a file name";
      options.*option.file = std::string(value);
      return {};
    default:
      return shown + " cannot be set here";
  }
}

// The config file's text, at most kMaxConfigBytes; nullopt with the reason in `error`.
std::optional<std::string> ReadConfigFile(const std::string& path, std::string* error) {
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return std::nullopt;
  }
  std::string text(kMaxConfigBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file.get()));
  // A folder opens but does not read.
  if (std::ferror(file.get())) {
    *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return std::nullopt;
  }
  if (text.size() > kMaxConfigBytes) {
    *error = path + ": too large for a config file (over 64 KiB)";
    return std::nullopt;
  }
  return text;
}

RecorderCommandLine Failed(std::string error) {
  RecorderCommandLine line;
  line.action = RecorderCommandLine::Action::kError;
  line.error = std::move(error);
  return line;
}

// What only the whole command line can tell: the required options and the band.
std::string CheckWhole(const RecorderOptions& options) {
  const bool no_connect = options.connect.interface_index < 0;
  const bool no_dir = options.log_dir.empty();
  if (no_connect && no_dir) return "--connect URI and --log-dir DIR are required";
  if (no_connect) return "--connect URI is required";
  if (no_dir) return "--log-dir DIR is required";
  if (options.start_mhz.has_value() != options.stop_mhz.has_value()) {
    return options.start_mhz ? "--start needs --stop too" : "--stop needs --start too";
  }
  if (!options.start_mhz) return {};
  const double start = *options.start_mhz;
  const double stop = *options.stop_mhz;
  const std::string shown = "--start " + NumberText(start) + " and --stop " + NumberText(stop);
  if (start >= stop) return shown + ": the start must lie below the stop";
  const int64_t start_steps = std::llround(start * 1000.0 / kStepKhz);
  const int64_t stop_steps = std::llround(stop * 1000.0 / kStepKhz);
  if (start_steps >= stop_steps) return shown + ": the span must be at least 50 kHz";
  if (!InOneBand(start_steps, stop_steps)) {
    return shown + " MHz lie in no one band of the Receiver (" + BandsText() + ")";
  }
  return {};
}

void AppendRow(std::string& text, const std::string& term, std::string_view help) {
  AppendHelpRow(text, term, help, 31);
}

}  // namespace

std::optional<int64_t> ParseDurationSeconds(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  int64_t unit = 0;
  switch (text.back()) {
    case 's':
      unit = 1;
      break;
    case 'm':
      unit = 60;
      break;
    case 'h':
      unit = 3600;
      break;
    case 'd':
      unit = 86400;
      break;
    case 'w':
      unit = 7 * 86400;
      break;
    default:
      return std::nullopt;
  }
  const std::optional<uint64_t> count = Whole(text.substr(0, text.size() - 1));
  if (!count || *count == 0 ||
      *count > static_cast<uint64_t>(std::numeric_limits<int64_t>::max() / unit)) {
    return std::nullopt;
  }
  return static_cast<int64_t>(*count) * unit;
}

std::optional<uint64_t> ParseSizeBytes(std::string_view text) {
  const size_t digits = text.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string_view::npos) return std::nullopt;
  std::string_view suffix = text.substr(digits);
  int shift = 0;
  switch (suffix.front()) {
    case 'K':
    case 'k':
      shift = 10;
      break;
    case 'M':
      shift = 20;
      break;
    case 'G':
      shift = 30;
      break;
    case 'T':
      shift = 40;
      break;
    default:
      return std::nullopt;
  }
  suffix.remove_prefix(1);
  if (!suffix.empty() && suffix != "B" && suffix != "iB") return std::nullopt;
  const std::optional<uint64_t> count = Whole(text.substr(0, digits));
  if (!count || *count == 0 || *count > (std::numeric_limits<uint64_t>::max() >> shift)) {
    return std::nullopt;
  }
  return *count << shift;
}

std::optional<FileLimit> ParseFileLimit(std::string_view text) {
  if (const std::optional<int64_t> seconds = ParseDurationSeconds(text)) {
    return FileLimit{*seconds, 0};
  }
  if (const std::optional<uint64_t> bytes = ParseSizeBytes(text)) return FileLimit{0, *bytes};
  return std::nullopt;
}

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
  ListenAddress address;
  std::string_view port = text;
  if (!text.empty() && text.front() == '[') {  // [IPv6]:PORT
    const size_t close = text.find(']');
    if (close == std::string_view::npos || text.substr(close + 1, 1) != ":") return std::nullopt;
    const std::string_view host = text.substr(1, close - 1);
    if (!Ipv6(host)) return std::nullopt;
    address.host = std::string(host);
    port = text.substr(close + 2);
  } else if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
    const std::string_view host = text.substr(0, colon);
    if (host == "*") {
      address.host = "0.0.0.0";
    } else if (host == "localhost" || Ipv4(host)) {
      address.host = std::string(host);
    } else {
      return std::nullopt;
    }
    port = text.substr(colon + 1);
  }
  const std::optional<uint16_t> number = ListenPort(port);
  if (!number) return std::nullopt;
  address.port = *number;
  return address;
}

bool ParseRecorderConfigText(std::string_view text, const std::string& file_name,
                             RecorderOptions* options, std::string* error) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  size_t line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const size_t newline = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line.front() == '#') continue;

    const std::string where = file_name + ":" + std::to_string(line_number) + ": ";
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      *error = where + "expected key = value, not " + Quoted(line);
      return false;
    }
    const std::string_view key = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    const OptionSpec* option = FindLong(key);
    if (option != nullptr && option->kind == Kind::kConfig) {
      *error = where + "config cannot be used inside a config file";
      return false;
    }
    if (option == nullptr || option->kind == Kind::kHelp || option->kind == Kind::kVersion) {
      *error = where + "unknown option " + Quoted(key);
      return false;
    }
    if (std::string taken = Take(*options, *option, value, std::string(key)); !taken.empty()) {
      *error = where + taken;
      return false;
    }
  }
  return true;
}

RecorderCommandLine ParseRecorderCommandLine(const std::vector<std::string>& arguments) {
  using Action = RecorderCommandLine::Action;
  RecorderCommandLine line;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument[0] != '-') {
      return Failed("unexpected argument " + Quoted(argument));
    }
    const bool two_dashes = argument[1] == '-';
    const std::string_view body = std::string_view(argument).substr(two_dashes ? 2 : 1);
    const size_t equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    const OptionSpec* option = two_dashes         ? FindLong(name)
                               : name.size() == 1 ? FindShort(name[0])
                                                  : nullptr;
    if (option == nullptr) return Failed("unknown option " + Quoted(argument));

    const std::string shown = "--" + std::string(option->name);
    if (option->value.empty()) {
      if (equals != std::string_view::npos) return Failed(shown + " takes no value");
      if (option->kind == Kind::kVerbose) {
        line.options.verbose = true;
      } else if (option->kind == Kind::kHelp) {
        line.action = Action::kHelp;
      } else if (line.action != Action::kHelp) {
        line.action = Action::kVersion;
      }
      continue;
    }
    std::string value;
    if (equals != std::string_view::npos) {
      value = std::string(body.substr(equals + 1));
    } else {
      // An option right behind is a forgotten value, not a file named "--verbose".
      if (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0) {
        return Failed(shown + " needs a value (" + std::string(option->value) + ")");
      }
      value = arguments[++i];
    }
    if (option->kind == Kind::kConfig) {
      if (value.empty()) return Failed(shown + " needs a file name");
      std::string error;
      const std::optional<std::string> text = ReadConfigFile(value, &error);
      if (!text || !ParseRecorderConfigText(*text, value, &line.options, &error)) {
        return Failed(error);
      }
      continue;
    }
    if (std::string error = Take(line.options, *option, value, shown); !error.empty()) {
      return Failed(error);
    }
  }
  if (line.action != Action::kRun) return line;
  if (std::string error = CheckWhole(line.options); !error.empty()) return Failed(error);
  return line;
}

std::string RecorderHelpText() {
  std::string text =
      "Usage: quorvalin-recorder --connect URI --log-dir DIR [options]\n"
      "Records the Receiver's sweeps into spectrum logs, unattended, and keeps\n"
      "their folder within bounds.\n\nOptions:\n";
  for (const OptionSpec& option : kOptions) {
    std::string term;
    if (option.short_name != 0) term = std::string("-") + option.short_name + ", ";
    term += "--" + std::string(option.name);
    if (!option.value.empty()) term += " <" + std::string(option.value) + ">";
    std::string help(option.help);
    if (option.kind == Kind::kPlan) {
      help += "\n" + ChannelPlanIds() + ".\nUnset: the plan covering the band swept.";
    }
    AppendRow(text, term, help);
  }
  text +=
      "\nEach option may also be written --option=VALUE.\n"
      "URI forms: tcp://HOST[:PORT] (port 10001 unless given; [IPv6] in brackets),\n"
      "serial:/dev/ttyUSB0 and usb:SERIAL (the Receiver's serial number).\n"
      "\nSignals: SIGTERM and SIGINT end the run with the log closed;\n"
      "SIGHUP begins the next log file.\n"
      "\nExit status: 0 ended by a signal; 1 a mistake on the command line or in\n"
      "the config; 2 cannot start (the log folder cannot be written, the metrics\n"
      "address is taken).\n";
  return text;
}

}  // namespace qv
