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

#include "core/control/channel_plans.h"
#include "log/log_commands.h"

namespace {

using namespace qv::logtool;
using qv::LogTimePoint;
using qv::ParseLogTime;

const char kHelp[] =
    "Usage: quorvalin-log info FILE [--from TIME] [--to TIME]\n"
    "       quorvalin-log dump FILE [--from TIME] [--to TIME]\n"
    "       quorvalin-log csv FILE [-o OUT] [--from TIME] [--to TIME]\n"
    "       quorvalin-log summary FILE [-o OUT] [--from TIME] [--to TIME] [--threshold DBM]\n"
    "       quorvalin-log channels FILE [-o OUT] [--from TIME] [--to TIME] [--plan P]\n"
    "                             [--threshold DBM]\n"
    "       quorvalin-log heatmap FILE -o OUT.png [--from TIME] [--to TIME] [--width W] [--height H]\n"
    "       quorvalin-log --help | --version\n"
    "\n"
    "Reads a Quorvalin spectrum log (.kzq, or the older .zn) written by `quorvalin --record`\n"
    "or by the Logging Options dialog. Every command reads the file once from start to end\n"
    "(heatmap twice) in memory that does not grow with the file.\n"
    "\n"
    "  info     The format title (from the file name), the header: device name, header version,\n"
    "           firmware, serial number, date and time, the Receiver's bands in MHz; how many\n"
    "           records of each type follow, the first and last time record, whether the file\n"
    "           ends with an end record (and its two counts: records written and minutes\n"
    "           logged), and where the file is damaged if it is (\"torn record at byte N\").\n"
    "  dump     One line per record: byte offset, type name and hex value, payload length and\n"
    "           a short summary (sweep blocks: start MHz, N, block frequency MHz, block count,\n"
    "           reference level; time records: date and time; end records: the two counts).\n"
    "  csv      One line per complete sweep, in the layout of rtl_power:\n"
    "             date, time, Hz low, Hz high, Hz step, samples, dB, dB, ...\n"
    "           e.g. 2024-01-31, 13:45:07, 2400000000, 2400150000, 50000, 1, -95.0625, -96.5, -0.25\n"
    "           Date (YYYY-MM-DD) and time (HH:MM:SS) are those of the latest time record before\n"
    "           the sweep, the header's before the first one. Hz low = start x 50000, Hz step =\n"
    "           sweep word x 50000, Hz high = Hz low + N x Hz step, samples is 1, and the N levels\n"
    "           are dBm at the Receiver's full 1/16 dB resolution, written exactly (no trailing\n"
    "           zeros). Sweeps of types 6 and 10 are included; a sweep is written only when its\n"
    "           blocks cover points 0 ... N - 1 in order, so the partial first sweep of a log and\n"
    "           a torn last one are left out.\n"
    "  summary  CSV with a title line, then one row per point that got a level:\n"
    "             Hz, min dBm, mean dBm, max dBm, share at or above the threshold\n"
    "           e.g. 2400050000, -96.5, -48.3125, -0.125, 0.5000\n"
    "           over the sweeps csv writes (whole ones only); the mean is rounded to 1/16 dB, the\n"
    "           share is of the levels that point got (four decimals). A log whose sweep\n"
    "           settings (start, N, step) change gives one block of rows per setting, in the\n"
    "           order they first appear, with an empty line between blocks.\n"
    "  channels CSV with a title line, then one row per channel of a channel plan:\n"
    "             channel, centre MHz, low MHz, high MHz, utilisation %, mean dBm, max dBm\n"
    "           e.g. 6, 2437, 2426, 2448, 50.0, -99.13, -60\n"
    "           A sweep csv writes counts for a channel when it has points inside the channel's\n"
    "           edges; utilisation is the share of those sweeps whose highest level in the\n"
    "           channel is at or above the threshold (one decimal); mean dBm is the mean of the\n"
    "           dBm values of the channel's points over those sweeps (not a power mean: one\n"
    "           burst does not lift it); max dBm the highest, exact. The three are empty for a\n"
    "           channel no sweep reached. The plan is --plan's, else the one whose channels the\n"
    "           first sweep's band overlaps most.\n"
    "  heatmap  The log as a PNG picture: time down, frequency across, each pixel the highest\n"
    "           level of the sweeps csv writes that fell into it, the colours of the uniform map\n"
    "           from the lowest level to the highest; frequency labels (MHz) along the top, times\n"
    "           (HH:MM:SS) down the left, a colour scale in dBm on the right. The frequencies\n"
    "           span every setting met.\n"
    "\n"
    "Instant-capture files (.icf, written by `quorvalin --capture` or \"Instant Capture\") are\n"
    "read too (info, dump and csv, without --from and --to); a file starting with byte 1 is\n"
    "taken as one, one starting with 0xBA as a log, any other by its name. A file taken as a\n"
    "log that does not start with a log's header record is no log: each command says so and\n"
    "shows nothing of it.\n"
    "  info     Every capture: number, date and time, comment, sweep type, start MHz, N, RBW,\n"
    "           reference level, power; then the trailer's count, and the damage if any.\n"
    "  dump     One line per capture with its byte offset, then the trailer.\n"
    "  csv      One line per capture in the layout above, with the capture's date and time,\n"
    "           Hz step 50000 and the levels in whole dBm as stored (e.g. -100).\n"
    "\n"
    "TIME is +HH:MM:SS or plain seconds from the log's start (its first time record), or a\n"
    "wall-clock YYYY-MM-DD HH:MM:SS as the log's clock wrote it. A record's time is that of\n"
    "the latest time record before it; records before the first one belong to the start.\n"
    "Time from the start is elapsed time as quorvalin's timeline and --replay-from count it:\n"
    "a clock set back adds nothing, a forward gap counts. A wall-clock TIME is the clock.\n"
    "\n"
    "Options:\n"
    "  --from TIME      Only the records at or after TIME.\n"
    "  --to TIME        Only the records at or before TIME (that whole second).\n"
    "  -o OUT           With csv, summary and channels: write to OUT instead of standard\n"
    "                   output; with heatmap: the PNG to write (needed).\n"
    "  --threshold DBM  With summary and channels: the level counted in the share\n"
    "                   (default -85).\n"
    "  --plan P         With channels: the channel plan, one of ism900 (902-928 MHz),\n"
    "                   wifi24 (802.11b/g channels 1-14, 22 MHz wide), public-safety,\n"
    "                   wifi5 (802.11a, 20 MHz wide), unii (U-NII sub-bands, labels\n"
    "                   SUB-CHANNEL).\n"
    "  --width W        With heatmap: the picture's width in pixels, 200 ... 4000 (default 1024).\n"
    "  --height H       With heatmap: its height in pixels, 200 ... 4000 (default 768).\n"
    "  -h, --help       Print this help and exit.\n"
    "  --version        Print the version and exit.\n"
    "\n"
    "Exit status: 0 the file was read to its end (an end record, or the records end cleanly);\n"
    "1 the file cannot be read, is no spectrum log, or is damaged (what could be read is\n"
    "printed first, then a message saying what and where), the output cannot be written,\n"
    "--from and --to hold no record (--from after --to, or outside the log), heatmap found\n"
    "no sweep to draw, or channels no sweep in a plan's band; 2 a usage error.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "quorvalin-log: %s\nTry 'quorvalin-log --help'.\n", problem.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("a command is needed: info, dump, csv, summary, channels or heatmap");
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      std::fputs(arg == "--version" ? "quorvalin-log " QV_VERSION "\n" : kHelp, stdout);
      return std::fflush(stdout) == 0 ? kExitOk : kExitDamaged;
    }
  }

  const std::string& command = args[0];
  if (command != "info" && command != "dump" && command != "csv" && command != "summary" &&
      command != "channels" && command != "heatmap")
    return Usage("unknown command " + command);
  std::string file;
  Options options;
  bool has_out = false;
  bool has_threshold = false;
  bool has_plan = false;
  bool has_width = false;
  bool has_height = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_value = arg == "-o" || arg == "--from" || arg == "--to" ||
                             arg == "--threshold" || arg == "--width" || arg == "--height" ||
                             arg == "--plan";
    if (!takes_value) {
      if (!arg.empty() && arg[0] == '-' && arg != "-") return Usage("unknown option " + arg);
      if (!file.empty()) return Usage("one FILE only (also got " + arg + ")");
      file = arg;
      continue;
    }
    const bool allowed = arg == "--from" || arg == "--to" ||
                         (arg == "-o" && command != "info" && command != "dump") ||
                         (arg == "--threshold" && (command == "summary" || command == "channels")) ||
                         (arg == "--plan" && command == "channels") ||
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
      options.window += (options.window.empty() ? "" : " ") + arg + " " + value;
    } else if (arg == "--plan") {
      if (has_plan || qv::ChannelPlanById(value) == nullptr)
        return Usage("--plan " + value + ": not a channel plan (" + qv::ChannelPlanIds() + ")");
      options.plan = value;
      has_plan = true;
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
  // Of one kind, an end before the start can be told before reading; mixed kinds show as a
  // window that holds no record.
  if (options.from && options.to && options.from->from_start == options.to->from_start &&
      options.from->seconds > options.to->seconds) {
    std::fprintf(stderr, "quorvalin-log: %s: --from is after --to, the slice holds nothing\n",
                 options.window.c_str());
    return kExitDamaged;
  }

  if (command == "heatmap" && (options.out.empty() || options.out == "-"))
    return Usage("heatmap needs -o OUT.png");

  if (command == "info") return RunInfo(file, options);
  if (command == "dump") return RunDump(file, options);
  if (command == "summary") return RunSummary(file, options);
  if (command == "channels") return RunChannels(file, options);
  if (command == "heatmap") return RunHeatmap(file, options);
  return RunCsv(file, options);
}
