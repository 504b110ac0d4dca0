// quorvalin-log: reads Quorvalin spectrum logs (.kzq, .zn) and capture files (.icf) outside the
// GUI.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <cstring>
#include <string>
#include <vector>

#include "log/log_commands.h"

namespace {

using namespace qv::logtool;
using qv::LogTimePoint;
using qv::ParseLogTime;

const char kHelp[] =
    "Usage: quorvalin-log info FILE\n"
    "       quorvalin-log dump FILE\n"
    "       quorvalin-log csv FILE [-o OUT]\n"
    "       quorvalin-log --help | --version\n"
    "\n"
    "Reads a Quorvalin spectrum log (.kzq, or the older .zn) written by `quorvalin --record`\n"
    "or by the Logging Options dialog.\n"
    "\n"
    "  info  The format title (from the file name), the header: device name, header version,\n"
    "        firmware, serial number, date and time, the Receiver's bands in MHz; how many\n"
    "        records of each type follow, the first and last time record, whether the file\n"
    "        ends with an end record (and its two counts: records written and minutes\n"
    "        logged), and where the file is damaged if it is (\"torn record at byte N\").\n"
    "  dump  One line per record: byte offset, type name and hex value, payload length and\n"
    "        a short summary (sweep blocks: start MHz, N, block frequency MHz, block count,\n"
    "        reference level; time records: date and time; end records: the two counts).\n"
    "  csv   One line per complete sweep, in the layout of rtl_power:\n"
    "          date, time, Hz low, Hz high, Hz step, samples, dB, dB, ...\n"
    "        e.g. 2024-01-31, 13:45:07, 2400000000, 2400150000, 50000, 1, -95.0625, -96.5, -0.25\n"
    "        Date (YYYY-MM-DD) and time (HH:MM:SS) are those of the latest time record before\n"
    "        the sweep, the header's before the first one. Hz low = start x 50000, Hz step =\n"
    "        sweep word x 50000, Hz high = Hz low + N x Hz step, samples is 1, and the N levels\n"
    "        are dBm at the Receiver's full 1/16 dB resolution, written exactly (no trailing\n"
    "        zeros). Sweeps of types 6 and 10 are included; a sweep is written only when its\n"
    "        blocks cover points 0 ... N - 1 in order, so the partial first sweep of a log and\n"
    "        a torn last one are left out.\n"
    "\n"
    "Instant-capture files (.icf, written by `quorvalin --capture` or \"Instant Capture\") are\n"
    "read too; a file starting with byte 1 is taken as one, one starting with 0xBA as a log,\n"
    "any other by its name. A file taken as a log that does not start with a log's header\n"
    "record is no log: each command says so and shows nothing of it.\n"
    "  info  Every capture: number, date and time, comment, sweep type, start MHz, N, RBW,\n"
    "        reference level, power; then the trailer's count, and the damage if any.\n"
    "  dump  One line per capture with its byte offset, then the trailer.\n"
    "  csv   One line per capture in the layout above, with the capture's date and time,\n"
    "        Hz step 50000 and the levels in whole dBm as stored (e.g. -100).\n"
    "\n"
    "Options:\n"
    "  -o OUT      With csv: write to OUT instead of standard output.\n"
    "  -h, --help  Print this help and exit.\n"
    "  --version   Print the version and exit.\n"
    "\n"
    "Exit status: 0 the file was read to its end (an end record, or the records end cleanly);\n"
    "1 the file cannot be read, is no spectrum log, or is damaged (what could be read is\n"
    "printed first, then a message saying what and where), or the output cannot be written;\n"
    "2 a usage error.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "quorvalin-log: %s\nTry 'quorvalin-log --help'.\n", problem.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("a command is needed: info, dump, csv, summary or heatmap");
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      std::fputs(arg == "--version" ? "quorvalin-log " QV_VERSION "\n" : kHelp, stdout);
      return std::fflush(stdout) == 0 ? kExitOk : kExitDamaged;
    }
  }

  const std::string& command = args[0];
  if (command != "info" && command != "dump" && command != "csv" && command != "summary" &&
      command != "heatmap")
    return Usage("unknown command " + command);
  std::string file;
  Options options;
  bool has_out = false;
  bool has_threshold = false;
  bool has_width = false;
  bool has_height = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_value = arg == "-o" || arg == "--from" || arg == "--to" ||
                             arg == "--threshold" || arg == "--width" || arg == "--height";
    if (!takes_value) {
      if (!arg.empty() && arg[0] == '-' && arg != "-") return Usage("unknown option " + arg);
      if (!file.empty()) return Usage("one FILE only (also got " + arg + ")");
      file = arg;
      continue;
    }
    const bool allowed = arg == "--from" || arg == "--to" ||
                         (arg == "-o" && command != "info" && command != "dump") ||
                         (arg == "--threshold" && command == "summary") ||
                         ((arg == "--width" || arg == "--height") && command == "heatmap");
    if (!allowed) return Usage("unknown option " + arg + " for " + command);
    if (i + 1 == args.size()) return Usage(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "-o") {
      if (has_out) return Usage("-o given twice");
      options.out = value;
      has_out = true;
    } else if (arg == "--from" || arg == "--to") {
      std::optional<LogTimePoint>& point = arg == "--from" ? options.from : options.to;
      if (point) return Usage(arg + " given twice");
      point = ParseLogTime(value);
      if (!point)
        return Usage(arg + " " + value +
                     ": not a time (+HH:MM:SS, seconds, or YYYY-MM-DD HH:MM:SS)");
    } else if (arg == "--threshold") {
      char* end = nullptr;
      const double dbm = std::strtod(value.c_str(), &end);
      if (has_threshold || value.empty() || *end != '\0' || !(dbm >= -2000 && dbm <= 2000))
        return Usage("--threshold " + value + ": not a level in dBm");
      options.threshold = static_cast<int32_t>(std::ceil(dbm * 16));
      has_threshold = true;
    } else {
      bool& given = arg == "--width" ? has_width : has_height;
      char* end = nullptr;
      const long pixels = std::strtol(value.c_str(), &end, 10);
      if (given || value.empty() || *end != '\0' || pixels < 200 || pixels > 4000)
        return Usage(arg + " " + value + ": not 200 ... 4000 pixels");
      (arg == "--width" ? options.width : options.height) = static_cast<uint32_t>(pixels);
      given = true;
    }
  }
  if (file.empty()) return Usage(command + " needs a FILE");

  if (command == "heatmap" && (options.out.empty() || options.out == "-"))
    return Usage("heatmap needs -o OUT.png");

  if (command == "info") return RunInfo(file, options);
  if (command == "dump") return RunDump(file, options);
  if (command == "summary") return RunSummary(file, options);
  if (command == "heatmap") return RunHeatmap(file, options);
  return RunCsv(file, options);
}
