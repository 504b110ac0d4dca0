#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "core/app/command_line.h"
#include "core/limits/limit_line.h"
#include "core/link/network_setup.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_alerts.h"
#include "gui/app/radio_alert_dialog.h"
#include "gui/app/remembered_window.h"
#include "gui/app/snapshot.h"
#include "gui/app/splash_screen.h"
#include "gui/limits/limits_controller.h"
#include "gui/link/connection_sheet.h"
#include "gui/record/recording_controller.h"
#include "gui/record/remote_actions.h"
#include "gui/record/trace_export.h"
#include "link/app/console_messages.h"
#include "link/app/loop_gap_probe.h"
#include "link/app/qt_timer.h"
#include "link/serial/udev_serial_monitor.h"
#include "session/remote/remote_server.h"
#include "session/remote/scpi_instrument.h"
#include "session/signal_events.h"
#include "sim/transport/tcp_server.h"

namespace {

// Saves a picture of the window just before the program quits: BMP, JPEG or PNG by the name.
bool SaveSnapshot(QWidget& window, const QString& path) {
  std::string error;
  if (!qv::SaveSnapshotImage(window.grab().toImage(), path, &error)) {
    std::fprintf(stderr, "quorvalin: cannot save snapshot: %s\n", error.c_str());
    return false;
  }
  std::printf("quorvalin: snapshot saved to %s\n", qPrintable(path));
  std::fflush(stdout);
  return true;
}

// The demo's Receiver listens on the first loopback address whose port 10001 is free.
std::unique_ptr<qv::sim::TcpServer> StartDemoReceiver(QString* address) {
  auto server = std::make_unique<qv::sim::TcpServer>(qv::sim::SimOptions{});
  QString error;
  for (int host = 1; host < 255; ++host) {
    const QHostAddress candidate(QStringLiteral("127.0.0.%1").arg(host));
    if (server->Listen(candidate, qv::sim::kDefaultTcpPort, &error)) {
      *address = candidate.toString();
      return server;
    }
  }
  std::fprintf(stderr, "quorvalin: --demo: no loopback address has port %d free (%s)\n",
               qv::sim::kDefaultTcpPort, qPrintable(error));
  return nullptr;
}

// Connects as the matching page would.
void ConnectTo(qv::CConnectionEx& connection, const qv::RememberedLink& target) {
  const QString where = QString::fromStdString(target.address);
  if (target.interface_index == qv::kSerialInterface) {
    connection.ConnectSerial(where);
  } else if (target.interface_index == qv::kUsbInterface) {
    connection.ConnectUsb(where);
  } else {
    connection.ConnectTcp(where, target.port);
  }
}

// SIGINT and SIGTERM end the program through its event loop, so that a log being written is
// finished with its end record like at any other exit. A signal often comes twice (to the
// process and to its group), so a second one changes nothing.
bool g_terminating = false;

// A dialog running its own event loop (a message box, a file or print dialog) would keep the
// program waiting for an answer nobody gives: every modal one is dismissed, and exit() leaves
// all nested event loops as well as the main one.
void Terminate(qv::QtAlerts& alerts) {
  g_terminating = true;
  alerts.SetScripted(true);
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || !window->isModal()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else {
      window->close();
    }
  }
  QCoreApplication::exit(0);
}

void QuitOnTerminatingSignals(QApplication& app, qv::QtAlerts& alerts) {
  auto* events = new qv::SignalEvents({SIGINT, SIGTERM}, &app);
  QObject::connect(events, &qv::SignalEvents::Received, &app, [&alerts] { Terminate(alerts); });
}

}  // namespace

namespace {

// Where and how fast a replay plays is known once its log is scanned; a replay from a time
// plays nothing before it is there.
void StartReplayAt(qv::CRecordingController& recorder, const qv::StartOptions& options,
                   qv::LoopGapProbe& probe) {
  QElapsedTimer scanning;
  scanning.start();
  probe.TakeLongestGap();
  if (options.replay_from) recorder.HoldUntilScanned();
  QObject::connect(
      &recorder, &qv::CRecordingController::ScanFinished, &recorder,
      [&recorder, &probe, scanning, from = options.replay_from, speed = options.replay_speed] {
        if (probe.On()) {
          qCDebug(qv::lcFrames, "log scanned in %lld ms; longest gap meanwhile: %lld ms",
                  scanning.elapsed(), probe.TakeLongestGap());
        }
        std::string error;
        if (from && !recorder.JumpToTime(*from, &error)) {
          std::fprintf(stderr,
                       "quorvalin: --replay-from: outside the log (%s); replaying from the start\n",
                       error.c_str());
        }
        if (speed) recorder.SetReplaySpeed(*speed);
      },
      Qt::SingleShotConnection);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Mistakes, --help and --version are answered before the GUI exists: they need no display.
  const qv::CommandLine command_line = qv::ParseCommandLine({argv, argv + argc});
  switch (command_line.action) {
    case qv::CommandLine::Action::kError:
      std::fprintf(stderr, "quorvalin: %s\n", command_line.error.c_str());
      return 1;
    case qv::CommandLine::Action::kHelp:
    case qv::CommandLine::Action::kHelpAll:
      std::fputs(qv::HelpText(command_line.action == qv::CommandLine::Action::kHelpAll).c_str(),
                 stdout);
      return 0;
    case qv::CommandLine::Action::kVersion:
      std::printf("Quorvalin %s\n", QV_VERSION);
      return 0;
    case qv::CommandLine::Action::kRun:
      break;
  }
  const qv::StartOptions& options = command_line.options;
  // A limit line that does not read is a mistake on the command line, like a bad value.
  for (const auto& [option, path] : {std::pair{"--limit", &options.limit},
                                     std::pair{"--limit-lower", &options.limit_lower}}) {
    if (path->empty()) continue;
    if (const qv::LimitLineRead read = qv::ReadLimitLineFile(*path); !read.error.empty()) {
      std::fprintf(stderr, "quorvalin: %s: %s\n", option, read.error.c_str());
      return 1;
    }
  }

  QCoreApplication::setOrganizationName(QStringLiteral("Wendloch"));
  QCoreApplication::setApplicationName(QStringLiteral("Quorvalin"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
  // Before the application exists: it is what warns about the platform.
  qv::InstallConsoleMessages(options.verbose);

  // The desktop entry's name, so that Wayland compositors match the window to its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvalin"));
  QApplication app(argc, argv);
  // A scripted run's messages go to standard error; nobody is there to close a box.
  qv::QtAlerts alerts;
  alerts.SetScripted(options.Scripted());
  QuitOnTerminatingSignals(app, alerts);

  const bool tablet_mode = qv::CMainFrame::DetectTabletMode(options.tablet);
  qv::QtTimerFactory timers;
  qv::LoopGapProbe loop_gaps;  // measures only when its debug category is on
  // What the last run left (link, spectrum, window, panels) is read and written only by a run a
  // person drives: the demo and scripted runs start from the defaults every time, so they stay
  // reproducible, and write nothing to the settings file at all.
  const bool remember = !options.demo && !options.Scripted();
  qv::AppSettings settings(remember ? qv::AppSettings::Writes::kToFile
                                    : qv::AppSettings::Writes::kNone);

  // The splash keeps the user company while the window is built; it deletes itself after
  // two seconds, or is deleted here when the program ends sooner.
  struct SplashGuard {
    QPointer<qv::CSplashScreenEx> window;
    ~SplashGuard() { delete window.data(); }
  } splash_guard{new qv::CSplashScreenEx(timers)};
  qv::CSplashScreenEx* splash = splash_guard.window;
  splash->SetBitmap(qv::SplashPicture(tablet_mode),
                    tablet_mode ? std::nullopt : std::optional<QColor>(qv::kSplashTransparent));
  splash->Show();

  // Serial cards coming and going; without udev (containers) this warns once and stays quiet.
  qv::CUdevSerialMonitor monitor;
  monitor.Start();

  qv::CMainFrame frame(timers, alerts, tablet_mode, settings);
  alerts.SetParent(&frame);
  qv::QtFileChooser chooser(&frame);
  frame.View().SetFileChooser(&chooser);
  frame.View().SetDeviceMonitor(&monitor);

  frame.SetRecentFilesKept(remember);
  const qv::RememberedSettings remembered =
      remember ? settings.Remembered() : qv::RememberedSettings{};
  if (remember) {
    qv::RestoreRemembered(frame, remembered);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &frame, [&] {
      settings.SetRemembered(qv::CollectRemembered(frame, remembered));
    });
  }
  qv::ShowMainWindow(frame, remembered.window);
  if (const QString problem = settings.ReadProblem(); !problem.isEmpty()) {
    if (remember) {
      QTimer::singleShot(0, &frame, [&alerts, problem] {
        alerts.Show(problem.toStdString(), "Settings Not Read");
      });
    } else {
      std::fprintf(stderr, "quorvalin: %s\n", qPrintable(problem));
    }
  }
  if (splash_guard.window) splash_guard.window->raise();

  // The radio alert is modal but opened without a nested event loop, so a timed quit still
  // fires while it is up. Scripted runs and QV_NO_RADIO_ALERT=1 leave it out altogether.
  QPointer<qv::CDisableRadioAlertDialog> radio_alert;
  if (!options.Scripted() && qEnvironmentVariable("QV_NO_RADIO_ALERT") != QLatin1String("1")) {
    radio_alert = frame.OpenRadioAlertAtStartup();
  }

  std::unique_ptr<qv::sim::TcpServer> demo_receiver;
  std::optional<qv::RememberedLink> target = options.connect;
  if (options.demo) {
    QString address;
    demo_receiver = StartDemoReceiver(&address);
    if (!demo_receiver) return 1;
    std::printf("quorvalin: demo Receiver on %s:%d\n", qPrintable(address),
                qv::sim::kDefaultTcpPort);
    std::fflush(stdout);
    target =
        qv::RememberedLink{qv::kInternetInterface, address.toStdString(), qv::sim::kDefaultTcpPort};
  }
  if (target) {
    // The connection's progress window would open under or over the alert: the connection
    // starts once the alert is answered.
    const auto connect = [&frame, link = *target] {
      if (!g_terminating) ConnectTo(frame.View().Connection(), link);
    };
    if (radio_alert) {
      QObject::connect(radio_alert, &QDialog::finished, &frame, connect);
    } else {
      connect();
    }
  }

  if (!options.record.empty()) {
    const std::string path = options.record;
    QObject::connect(&frame.View(), &qv::CQuorvalinFormView::HandshakeCompleted, &frame,
                     [&frame, path] {
                       if (frame.View().Display().Recorder().Recording()) return;
                       if (frame.View().Display().Recorder().StartLog(path)) {
                         std::printf("quorvalin: recording to %s\n", path.c_str());
                       } else {
                         std::fprintf(stderr, "quorvalin: --record: cannot record to %s\n",
                                      path.c_str());
                       }
                       std::fflush(stdout);
                     });
  }
  if (options.print_colour != 0) frame.View().Display().SetPrintColourOption(options.print_colour);
  // Lines given on the command line are this run's only ones; otherwise the page's are used.
  qv::CLimitsController& limits = frame.View().Display().Limits();
  if (!options.limit.empty() || !options.limit_lower.empty()) {
    if (!options.limit.empty()) limits.Load(qv::LimitKind::kUpper, options.limit);
    if (!options.limit_lower.empty()) limits.Load(qv::LimitKind::kLower, options.limit_lower);
  } else if (remember) {
    if (const std::string problem = limits.UseSettings(settings); !problem.empty()) {
      QTimer::singleShot(0, &frame, [&alerts, problem] { alerts.Show(problem, qv::kLimitLinesCaption); });
    }
  }
  if (std::string error; !options.limit_events.empty() &&
                         !limits.Monitor().OpenEventsFile(options.limit_events, &error)) {
    std::fprintf(stderr, "quorvalin: --limit-events: %s\n", error.c_str());
    return 1;
  }
  // Remote control: the same commands as the recorder's, over the session the window shows.
  qv::RemoteActions remote_actions(frame.View().Display().Recorder());
  std::unique_ptr<qv::CRemoteServer> remote;
  if (options.scpi) {
    remote = std::make_unique<qv::CRemoteServer>(qv::ScpiClientFactory(
        frame.View().Session(), &remote_actions, options.scpi_dir, QV_VERSION));
    if (std::string error; !remote->Listen(options.scpi->host, options.scpi->port, &error)) {
      std::fprintf(stderr, "quorvalin: --scpi: %s\n", error.c_str());
      return 2;
    }
  }
  if (!options.capture.empty() &&
      !frame.View().Display().Recorder().CreateCaptureFile(options.capture)) {
    std::fprintf(stderr, "quorvalin: --capture: cannot create %s\n", options.capture.c_str());
    return 1;
  }
  if (options.capture_every) {
    // A site survey that captures on its own: one sweep every SECONDS while sweeps flow.
    auto* every = new QTimer(&frame);
    QObject::connect(every, &QTimer::timeout, &frame, [&frame] {
      qv::CDisplay& display = frame.View().Display();
      if (display.Recorder().CaptureReady() &&
          (display.SpectrumMode() || display.PowerTriggerMode())) {
        frame.View().OnCommand(qv::kCmdInstantCapture);
      }
    });
    every->start(static_cast<int>(*options.capture_every * 1000));
  }
  // The windows open as the toolbar opens them: once a Receiver is connected (or a log plays).
  const auto open_windows = [&frame, windows = options.open_windows] {
    for (qv::StartWindow window : windows) {
      frame.View().OnCommand(window == qv::StartWindow::kSpectrogram ? qv::kCmdSpectrogram
                                                                     : qv::kCmdHistogram);
    }
  };
  if (!options.open_windows.empty()) {
    QObject::connect(&frame.View(), &qv::CQuorvalinFormView::HandshakeCompleted, &frame,
                     open_windows);
  }
  // A file that cannot be opened ends a scripted run (its reason is on standard error already);
  // with a person at the window the message box says why and the program stays.
  if (!options.review.empty() && !frame.View().ReviewFile(options.review)) {
    std::fprintf(stderr, "quorvalin: --review: cannot review %s\n", options.review.c_str());
    if (options.Scripted()) return 1;
  }
  if (!options.replay.empty()) {
    if (frame.View().ReplayFile(options.replay)) {
      open_windows();
      StartReplayAt(frame.View().Display().Recorder(), options, loop_gaps);
    } else {
      std::fprintf(stderr, "quorvalin: --replay: cannot play %s\n", options.replay.c_str());
      if (options.Scripted()) return 1;
    }
  }

  // What a scripted run asked for is written however the program ends: the timed quit, the
  // low-battery exit (code 22), File Exit or a signal. The log's end record follows when the
  // window goes.
  bool outputs_written = false;
  const auto write_outputs = [&] {
    if (std::exchange(outputs_written, true)) return;
    limits.Monitor().Finish();
    if (!limits.Monitor().EventsFileError().empty()) {
      std::fprintf(stderr, "quorvalin: %s\n", limits.Monitor().EventsFileError().c_str());
    }
    if (!options.snapshot.empty()) SaveSnapshot(frame, QString::fromStdString(options.snapshot));
    if (!options.print_pdf.empty()) {
      const QString pdf = QString::fromStdString(options.print_pdf);
      if (frame.View().Outputs().PrintToPdf(pdf)) {
        std::printf("quorvalin: graph printed to %s\n", qPrintable(pdf));
      } else {
        std::fprintf(stderr, "quorvalin: cannot print to %s\n", qPrintable(pdf));
      }
      std::fflush(stdout);
    }
    if (!options.export_traces.empty()) {
      std::string error;
      if (qv::ExportTraces(frame.View().Display(), options.export_traces, &error)) {
        std::printf("quorvalin: traces exported to %s\n", options.export_traces.c_str());
      } else {
        std::fprintf(stderr, "quorvalin: cannot export traces: %s\n", error.c_str());
      }
      std::fflush(stdout);
    }
  };
  QObject::connect(&frame.View(), &qv::CQuorvalinFormView::QuitRequested, &app,
                   [&write_outputs](int code) {
                     write_outputs();
                     QApplication::exit(code);
                   });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &frame, write_outputs);
  if (options.quit_after) {
    // exit(), not quit(): it also leaves the loop of any dialog someone opened meanwhile.
    QTimer::singleShot(static_cast<int>(*options.quit_after * 1000), &app,
                       [&write_outputs, &limits] {
                         write_outputs();
                         QCoreApplication::exit(limits.Monitor().AnyViolation() ? 3 : 0);
                       });
  }
  // A signal that came while a dialog above waited left that dialog's loop; the main loop
  // starts afresh, so it is told again, and ends as soon as it has started.
  if (g_terminating) QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
  return QApplication::exec();
}
