#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/app/recorder_options.h"
#include "link/app/console_messages.h"
#include "link/app/qt_timer.h"
#include "recorder/recorder.h"
#include "recorder/service_notify.h"
#include "session/signal_events.h"

namespace {

// One line each on standard error, which the journal keeps: a text made for a window's lines
// is joined into one.
void Say(const std::string& text) {
  std::string line;
  for (const char c : text) {
    const bool space = c == '\n' || c == '\r' || c == ' ';
    if (space && (line.empty() || line.back() == ' ')) continue;
    line += space ? ' ' : c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (line.empty()) return;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  const qv::RecorderCommandLine command_line = qv::ParseRecorderCommandLine(arguments);
  switch (command_line.action) {
    case qv::RecorderCommandLine::Action::kHelp:
      std::cout << qv::RecorderHelpText();
      return 0;
    case qv::RecorderCommandLine::Action::kVersion:
      std::cout << "quorvalin-recorder " << QV_VERSION << "\n";
      return 0;
    case qv::RecorderCommandLine::Action::kError:
      Say("quorvalin-recorder: " + command_line.error);
      Say("Try 'quorvalin-recorder --help'.");
      return 1;
    case qv::RecorderCommandLine::Action::kRun:
      break;
  }
  const qv::RecorderOptions& options = command_line.options;
  QCoreApplication app(argc, argv);
  qv::InstallConsoleMessages(options.verbose);

  qv::QtTimerFactory timers;
  qv::CRecorder recorder(timers, options, QV_VERSION, &Say);
  qv::recorder::ServiceNotify service;

  // A second signal while ending changes nothing; SIGHUP begins the next file.
  qv::SignalEvents signal_events({SIGTERM, SIGINT, SIGHUP});
  bool ending = false;
  QObject::connect(&signal_events, &qv::SignalEvents::Received, &app, [&](int signal_number) {
    if (signal_number == SIGHUP) {
      service.Reloading();
      recorder.NextFile();
      service.Ready();
      return;
    }
    if (ending) return;
    ending = true;
    service.Stopping();
    recorder.Stop();
    QCoreApplication::exit(0);
  });

  std::string error;
  if (!recorder.Start(&error)) {
    Say("quorvalin-recorder: " + error);
    return 2;
  }
  QObject::connect(&recorder, &qv::CRecorder::StatusChanged, &app,
                   [&] { service.Status(recorder.StatusText()); });
  service.Ready();
  service.Status(recorder.StatusText());
  // The watchdog is fed from the event loop, so a loop that hangs gets the service restarted.
  std::unique_ptr<qv::Timer> watchdog = timers.CreateTimer();
  if (const int interval = service.WatchdogIntervalMs(); interval > 0) {
    watchdog->SetCallback([&service] { service.Watchdog(); });
    watchdog->Start(interval, /*single_shot=*/false);
  }
  const int status = app.exec();
  // Everything that must be kept is written and closed by Stop(); the metrics server's threads
  // would take up to two seconds to wind down, and a service is to end within one.
  std::fflush(stderr);
  std::_Exit(status);
}
