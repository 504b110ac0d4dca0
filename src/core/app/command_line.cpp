#include "core/app/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/app/help_rows.h"
#include "core/app/receiver_state.h"

namespace qv {
namespace {

// What an option does with its value: the switches set a flag or ask for help or the version,
// file options keep a name, the others are checked by Take.
enum class Kind {
  kHelp,
  kHelpAll,
  kVersion,
  kFlag,
  kFile,
  kConnect,
  kSeconds,
  kColours,
  kOpen,
  kTime,
  kSpeed,
  kListen
};

struct OptionSpec {
  Kind kind;
  char short_name;  // 0: none
  std::string_view name;
  std::string_view value;  // empty: a switch
  std::string_view help;
  bool StartOptions::*flag = nullptr;
  std::string StartOptions::*file = nullptr;
};

using O = StartOptions;

// In the order --help lists them.
const OptionSpec kOptions[] = {
    {Kind::kHelp, 'h', "help", "", "Displays help on commandline options."},
    {Kind::kHelpAll, 0, "help-all", "", "Displays help including Qt specific options."},
    {Kind::kVersion, 'v', "version", "", "Displays version information."},
    {Kind::kFlag, 0, "demo", "", "Run against the built-in simulated Receiver.", &O::demo},
    {Kind::kConnect, 0, "connect", "URI",
     "Connect without the sheet: tcp://HOST[:PORT], serial:/dev/ttyX, usb:SERIAL."},
    {Kind::kFlag, 0, "tablet", "", "Tablet mode.", &O::tablet},
    {Kind::kFile, 0, "snapshot", "FILE", "Save a picture of the view before quitting.", nullptr,
     &O::snapshot},
    {Kind::kSeconds, 0, "quit-after", "SECONDS", "Quit after this many seconds."},
    {Kind::kFile, 0, "record", "FILE",
     "Record a spectrum log into FILE once the connection is made.", nullptr, &O::record},
    {Kind::kFile, 0, "replay", "FILE", "Play the spectrum log FILE in the graph.", nullptr,
     &O::replay},
    {Kind::kTime, 0, "replay-from", "TIME",
     "Start --replay at TIME: +HH:MM:SS or seconds from its start, or 'YYYY-MM-DD HH:MM:SS'."},
    {Kind::kSpeed, 0, "replay-speed", "X",
     "Play --replay at X times the recorded speed (1, 4, 16, 64, 256) or max."},
    {Kind::kFile, 0, "capture", "FILE", "Create FILE as the instant capture file.", nullptr,
     &O::capture},
    {Kind::kSeconds, 0, "capture-every", "SECONDS",
     "Take an instant capture every SECONDS once sweeps flow (with --capture)."},
    {Kind::kFile, 0, "review", "FILE", "Review the instant capture file FILE in the graph.",
     nullptr, &O::review},
    {Kind::kFile, 0, "print-pdf", "FILE", "Print the graph to the PDF file FILE before quitting.",
     nullptr, &O::print_pdf},
    {Kind::kFile, 0, "export-traces", "FILE",
     "Write the shown traces to the CSV file FILE before quitting.", nullptr, &O::export_traces},
    {Kind::kFile, 0, "limit", "FILE",
     "Check every sweep against the upper limit line in the CSV file FILE.", nullptr, &O::limit},
    {Kind::kFile, 0, "limit-lower", "FILE",
     "Check every sweep against the lower limit line in the CSV file FILE.", nullptr,
     &O::limit_lower},
    {Kind::kFile, 0, "limit-events", "FILE",
     "Write each limit violation as a CSV row to FILE (exit status 3: one occurred).", nullptr,
     &O::limit_events},
    {Kind::kListen, 0, "scpi", "[ADDR:]PORT",
     "Take remote commands (SCPI) on PORT, at 127.0.0.1 unless ADDR is given."},
    {Kind::kFile, 0, "scpi-dir", "DIR",
     "Where remote commands read and write files (default: the current folder).", nullptr,
     &O::scpi_dir},
    {Kind::kColours, 0, "print-colors", "SCHEME",
     "Print colour scheme: true, econo or bw (black and white, the default)."},
    {Kind::kOpen, 0, "open", "WINDOW",
     "Open the WINDOW at start: spectrogram or histogram. May be repeated."},
    {Kind::kFlag, 0, "verbose", "",
     "Trace the link and the connection handshake on standard error.", &O::verbose},
};

// Qt's own options, which QApplication takes out of argv; one dash or two, as Qt reads them.
struct QtOption {
  std::string_view name;
  std::string_view value;  // empty: a switch
  std::string_view help;
};
constexpr QtOption kQtOptions[] = {
    {"platform", "NAME[:OPTIONS]", "The platform plugin: xcb, wayland, offscreen ..."},
    {"platformpluginpath", "PATH", "Where platform plugins are looked for."},
    {"platformtheme", "THEME", "The platform theme."},
    {"plugin", "PLUGIN", "Loads an additional plugin."},
    {"qwindowgeometry", "GEOMETRY", "The main window's geometry (WxH+X+Y)."},
    {"geometry", "GEOMETRY", "The same, on X11."},
    {"qwindowicon", "ICON", "The main window's icon."},
    {"icon", "ICON", "The same, on X11."},
    {"qwindowtitle", "TITLE", "The main window's title."},
    {"title", "TITLE", "The same, on X11."},
    {"display", "DISPLAY", "The X11 display to use."},
    {"name", "NAME", "The X11 application name."},
    {"visual", "VISUAL", "The X11 visual."},
    {"session", "SESSION", "Restores the session."},
    {"style", "STYLE", "The widget style (also -style=STYLE)."},
    {"stylesheet", "FILE", "A style sheet (also -stylesheet=FILE)."},
    {"qmljsdebugger", "PORT", "The QML debugger (only as -qmljsdebugger=PORT)."},
    {"reverse", "", "Lays the window out right to left."},
    {"widgetcount", "", "Prints the number of widgets left at the end."},
    {"sync", "", "X11 synchronous mode."},
    {"nograb", "", "Never grabs the pointer or the keyboard."},
    {"dograb", "", "Grabs even under a debugger."},
};

// Seconds as a decimal number; a timer takes whole milliseconds in an int.
constexpr double kMaxSeconds = 2147483.0;

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

const QtOption* FindQt(std::string_view name) {
  for (const QtOption& option : kQtOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::optional<double> Seconds(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<uint16_t> Port(std::string_view text) {
  unsigned value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || stop != text.data() + text.size() || value == 0 ||
      value > 65535) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// Stores one option's value; an error text when the value cannot be taken.
std::string Take(StartOptions& options, const OptionSpec& option, const std::string& value) {
  const std::string shown = "--" + std::string(option.name);
  switch (option.kind) {
    case Kind::kConnect:
      options.connect = ParseConnectUri(value);
      if (options.connect) return {};
      return shown + " cannot use " + Quoted(value) +
             " (tcp://HOST[:PORT], serial:/dev/ttyX or usb:SERIAL)";
    case Kind::kSeconds: {
      // Quitting at once is a fair request; a capture period of 0 is not.
      const bool period = option.name == "capture-every";
      const std::optional<double> seconds = Seconds(value);
      if (!seconds || *seconds > kMaxSeconds || *seconds < 0 || (period && *seconds == 0)) {
        return shown + " needs a number of seconds" + (period ? " above 0" : "") + ", not " +
               Quoted(value);
      }
      (period ? options.capture_every : options.quit_after) = seconds;
      return {};
    }
    case Kind::kColours:
      options.print_colour = value == "true" ? 1 : value == "econo" ? 2 : value == "bw" ? 3 : 0;
      if (options.print_colour != 0) return {};
      return shown + " takes true, econo or bw, not " + Quoted(value);
    case Kind::kOpen:
      if (value != "spectrogram" && value != "histogram") {
        return shown + " takes spectrogram or histogram, not " + Quoted(value);
      }
      options.open_windows.push_back(value == "spectrogram" ? StartWindow::kSpectrogram
                                                            : StartWindow::kHistogram);
      return {};
    case Kind::kTime:
      options.replay_from = ParseLogTime(value);
      if (options.replay_from) return {};
      return shown + " takes +HH:MM:SS, seconds or 'YYYY-MM-DD HH:MM:SS', not " + Quoted(value);
    case Kind::kListen:
      options.scpi = ParseListenAddress(value);
      if (options.scpi) return {};
      return shown + " takes [ADDR:]PORT (a port, or an address and a port), not " + Quoted(value);
    case Kind::kSpeed:
      options.replay_speed = ParseReplaySpeed(value);
      if (options.replay_speed) return {};
      return shown + " takes 1, 4, 16, 64, 256 or max, not " + Quoted(value);
    default:
      if (value.empty()) return shown + " needs a file name";
      options.*option.file = value;
      return {};
  }
}

// A switch: a flag, or a request for help or the version. Asked together, the fuller answer
// wins: help with Qt's options, help, the version.
void Set(CommandLine& line, const OptionSpec& option) {
  if (option.kind == Kind::kFlag) {
    line.options.*option.flag = true;
    return;
  }
  using Action = CommandLine::Action;
  const auto rank = [](Action a) {
    return a == Action::kHelpAll ? 3 : a == Action::kHelp ? 2 : a == Action::kVersion ? 1 : 0;
  };
  const Action asked = option.kind == Kind::kHelpAll ? Action::kHelpAll
                       : option.kind == Kind::kHelp  ? Action::kHelp
                                                     : Action::kVersion;
  if (rank(asked) > rank(line.action)) line.action = asked;
}

CommandLine Failed(std::string error) {
  CommandLine line;
  line.action = CommandLine::Action::kError;
  line.error = std::move(error);
  return line;
}

void AppendRow(std::string& text, const std::string& term, std::string_view help) {
  AppendHelpRow(text, term, help, 29);
}

}  // namespace

std::optional<RememberedLink> ParseConnectUri(const std::string& uri) {
  const auto rest_after = [&](std::string_view prefix) -> std::optional<std::string> {
    if (uri.compare(0, prefix.size(), prefix) != 0 || uri.size() == prefix.size()) {
      return std::nullopt;
    }
    return uri.substr(prefix.size());
  };
  if (const auto path = rest_after("serial:")) {
    return RememberedLink{kSerialInterface, *path, RememberedLink::kDefaultPort};
  }
  if (const auto serial = rest_after("usb:")) {
    return RememberedLink{kUsbInterface, *serial, RememberedLink::kDefaultPort};
  }
  std::optional<std::string> where = rest_after("tcp://");
  if (!where) return std::nullopt;
  std::string_view rest = *where;
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::string_view host = rest;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {  // [IPv6]:PORT
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = rest.substr(1, close - 1);
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':' || after.size() == 1) return std::nullopt;
      port = after.substr(1);
    }
  } else if (const size_t colon = rest.find(':'); colon != std::string_view::npos) {
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (port.empty()) return std::nullopt;
  }
  if (host.empty() || host.find_first_of("/@?# ") != std::string_view::npos) return std::nullopt;
  RememberedLink link{kInternetInterface, std::string(host), RememberedLink::kDefaultPort};
  if (!port.empty()) {
    const std::optional<uint16_t> number = Port(port);
    if (!number) return std::nullopt;
    link.port = *number;
  }
  return link;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument[0] != '-') {
      return Failed("unexpected argument " + Quoted(argument));
    }
    const bool two_dashes = argument[1] == '-';
    const std::string_view body = std::string_view(argument).substr(two_dashes ? 2 : 1);
    const size_t equals = body.find('=');
    const std::string_view name = body.substr(0, equals);

    const OptionSpec* option = nullptr;
    if (two_dashes) {
      option = FindLong(name);
    } else if (name.size() == 1) {
      option = FindShort(name[0]);
    }
    if (option == nullptr) {
      // Qt reads its options with one dash or two; QApplication takes them out of argv itself.
      // Only these take their value after "=" in Qt; Qt would pass over "-platform=x" unread.
      const bool equals_form = name == "style" || name == "stylesheet" || name == "qmljsdebugger";
      if (const QtOption* qt = FindQt(name);
          qt != nullptr && (equals == std::string_view::npos || equals_form)) {
        if (equals == std::string_view::npos && !qt->value.empty() && name != "qmljsdebugger") {
          if (i + 1 >= arguments.size()) return Failed(argument + " needs a value");
          ++i;
        }
        continue;
      }
      return Failed("unknown option " + Quoted(argument));
    }
    const std::string shown = "--" + std::string(option->name);
    if (option->value.empty()) {
      if (equals != std::string_view::npos) return Failed(shown + " takes no value");
      Set(line, *option);
      continue;
    }
    std::string value;
    if (equals != std::string_view::npos) {
      value = std::string(body.substr(equals + 1));
    } else {
      // An option right behind is a forgotten value, not a file named "--demo".
      if (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0) {
        return Failed(shown + " needs a value (" + std::string(option->value) + ")");
      }
      value = arguments[++i];
    }
    if (std::string error = Take(line.options, *option, value); !error.empty()) {
      return Failed(error);
    }
  }
  if (line.options.replay.empty() && (line.options.replay_from || line.options.replay_speed)) {
    return Failed(std::string(line.options.replay_from ? "--replay-from" : "--replay-speed") +
                  " needs --replay FILE");
  }
  return line;
}

std::string HelpText(bool with_qt_options) {
  std::string text =
      "Usage: quorvalin [options]\n"
      "Spectrum analyser front end for the Receiver.\n"
      "Scripted runs (--quit-after, --snapshot, --print-pdf, --export-traces) show no dialogs:\n"
      "their messages go to standard error. The radio interference alert is also left out when\n"
      "QV_NO_RADIO_ALERT=1 is set.\n\nOptions:\n";
  for (const OptionSpec& option : kOptions) {
    std::string term;
    if (option.short_name != 0) term = std::string("-") + option.short_name + ", ";
    term += "--" + std::string(option.name);
    if (!option.value.empty()) term += " <" + std::string(option.value) + ">";
    AppendRow(text, term, option.help);
  }
  if (with_qt_options) {
    text += "\nQt options (one dash or two):\n";
    for (const QtOption& option : kQtOptions) {
      std::string term = "-" + std::string(option.name);
      if (!option.value.empty()) term += " <" + std::string(option.value) + ">";
      AppendRow(text, term, option.help);
    }
  }
  return text;
}

}  // namespace qv
