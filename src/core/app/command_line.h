#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/app/listen_address.h"
#include "core/app/remembered_settings.h"
#include "core/record/log_time.h"
#include "core/record/replay_pace.h"

namespace qv {

// A window --open asks for.
enum class StartWindow { kSpectrogram, kHistogram };

// What the command line asks of a run, every value already checked.
struct StartOptions {
  bool demo = false;
  bool tablet = false;
  bool verbose = false;
  std::optional<RememberedLink> connect;  // serial, USB or Internet interface
  std::optional<double> quit_after;       // seconds
  std::optional<double> capture_every;    // seconds
  int print_colour = 0;                   // 0 unset, 1 true, 2 econo, 3 bw
  std::vector<StartWindow> open_windows;
  std::string snapshot, record, replay, capture, review, print_pdf, export_traces;
  std::string limit, limit_lower, limit_events;  // limit-line files and the events file
  std::optional<LogTimePoint> replay_from;  // where --replay starts, once the log is scanned
  std::optional<ReplaySpeed> replay_speed;
  std::optional<ListenAddress> scpi;  // remote control
  std::string scpi_dir;               // where remote commands' files go; empty: the current folder

  // A run nobody watches: it must end by itself and no dialog may wait for anyone.
  bool Scripted() const {
    return quit_after || !snapshot.empty() || !print_pdf.empty() || !export_traces.empty();
  }
};

struct CommandLine {
  enum class Action { kRun, kHelp, kHelpAll, kVersion, kError };
  Action action = Action::kRun;
  StartOptions options;
  std::string error;  // one line naming the option or argument at fault
};

// Reads argv (program name first) before any GUI exists. Qt's own options (-platform X,
// -style=X ...) are recognised and left for Qt; anything else unknown is an error.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The --help text; with Qt's options for --help-all.
std::string HelpText(bool with_qt_options);

// "tcp://HOST[:PORT]", "serial:DEVICE" or "usb:SERIAL"; nullopt when it is none of them.
std::optional<RememberedLink> ParseConnectUri(const std::string& uri);

}  // namespace qv
