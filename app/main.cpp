#include <QApplication>
#include <QCommandLineParser>
#include <QHostAddress>
#include <QImageWriter>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "core/link/network_setup.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_alerts.h"
#include "gui/app/remembered_window.h"
#include "gui/app/snapshot.h"
#include "gui/app/splash_screen.h"
#include "gui/link/connection_sheet.h"
#include "gui/record/trace_export.h"
#include "link/app/console_messages.h"
#include "link/app/qt_timer.h"
#include "link/serial/udev_serial_monitor.h"
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

// Connects as the matching page would: tcp://HOST[:PORT], serial:/dev/ttyX, usb:SERIAL.
bool ConnectTo(qv::CConnectionEx& connection, const QString& uri) {
  if (uri.startsWith(QStringLiteral("tcp://"))) {
    const QUrl url(uri);
    if (!url.isValid() || url.host().isEmpty()) return false;
    connection.ConnectTcp(url.host(), static_cast<quint16>(url.port(qv::kReceiverTcpPort)));
    return true;
  }
  if (uri.startsWith(QStringLiteral("serial:"))) {
    const QString path = uri.mid(7);
    if (path.isEmpty()) return false;
    connection.ConnectSerial(path);
    return true;
  }
  if (uri.startsWith(QStringLiteral("usb:"))) {
    const QString serial = uri.mid(4);
    if (serial.isEmpty()) return false;
    connection.ConnectUsb(serial);
    return true;
  }
  return false;
}

// SIGINT and SIGTERM end the program through its event loop, so that a log being written is
// finished with its end record like at any other exit.
int g_signal_pipe[2] = {-1, -1};

void OnTerminatingSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signal_pipe[1], &byte, 1);
}

void QuitOnTerminatingSignals(QApplication& app) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = &OnTerminatingSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// The program's own options, on top of --help and --version.
struct Options {
  QCommandLineOption help;
  QCommandLineOption version;
  QCommandLineOption demo{QStringLiteral("demo"),
                          QStringLiteral("Run against the built-in simulated Receiver.")};
  QCommandLineOption connect_uri{
      QStringLiteral("connect"),
      QStringLiteral("Connect without the sheet: tcp://HOST[:PORT], serial:/dev/ttyX, usb:SERIAL."),
      QStringLiteral("URI")};
  QCommandLineOption tablet{QStringLiteral("tablet"), QStringLiteral("Tablet mode.")};
  QCommandLineOption snapshot{QStringLiteral("snapshot"),
                              QStringLiteral("Save a picture of the view before quitting."),
                              QStringLiteral("FILE")};
  QCommandLineOption quit_after{QStringLiteral("quit-after"),
                                QStringLiteral("Quit after this many seconds."),
                                QStringLiteral("SECONDS")};
  QCommandLineOption record{
      QStringLiteral("record"),
      QStringLiteral("Record a spectrum log into FILE once the connection is made."),
      QStringLiteral("FILE")};
  QCommandLineOption replay{QStringLiteral("replay"),
                            QStringLiteral("Play the spectrum log FILE in the graph."),
                            QStringLiteral("FILE")};
  QCommandLineOption capture{QStringLiteral("capture"),
                             QStringLiteral("Create FILE as the instant capture file."),
                             QStringLiteral("FILE")};
  QCommandLineOption capture_every{
      QStringLiteral("capture-every"),
      QStringLiteral("Take an instant capture every SECONDS once sweeps flow (with --capture)."),
      QStringLiteral("SECONDS")};
  QCommandLineOption print_pdf{QStringLiteral("print-pdf"),
                               QStringLiteral("Print the graph to the PDF file FILE before quitting."),
                               QStringLiteral("FILE")};
  QCommandLineOption export_traces{
      QStringLiteral("export-traces"),
      QStringLiteral("Write the shown traces to the CSV file FILE before quitting."),
      QStringLiteral("FILE")};
  QCommandLineOption print_colors{
      QStringLiteral("print-colors"),
      QStringLiteral("Print colour scheme: true, econo or bw (black and white, the default)."),
      QStringLiteral("SCHEME")};
  QCommandLineOption open_window{
      QStringLiteral("open"),
      QStringLiteral("Open the WINDOW at start: spectrogram or histogram. May be repeated."),
      QStringLiteral("WINDOW")};
  QCommandLineOption review{QStringLiteral("review"),
                            QStringLiteral("Review the instant capture file FILE in the graph."),
                            QStringLiteral("FILE")};
  QCommandLineOption verbose{
      QStringLiteral("verbose"),
      QStringLiteral("Trace the link and the connection handshake on standard error.")};

  explicit Options(QCommandLineParser& parser)
      : help(parser.addHelpOption()), version(parser.addVersionOption()) {
    parser.setApplicationDescription(
        QStringLiteral("Spectrum analyser front end for the Receiver.\n"
                       "The radio interference alert is left out with --quit-after or "
                       "--snapshot, or when QV_NO_RADIO_ALERT=1 is set."));
    parser.addOptions({demo, connect_uri, tablet, snapshot, quit_after, record, replay, capture,
                       capture_every, review, print_pdf, export_traces, print_colors, open_window,
                       verbose});
  }
};

// --help and --version need no display, so they are answered before the GUI application
// exists; returns only when neither was asked for.
void AnswerHelpOrVersion(QCommandLineParser& parser, const Options& options, int argc,
                         char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  // Qt's own options (-platform, say) are unknown here; the full parse later knows them.
  const bool parsed = parser.parse(arguments);
  const bool help_all = parsed && parser.isSet(QStringLiteral("help-all"));
  if (!parser.isSet(options.help) && !parser.isSet(options.version) && !help_all) return;
  QCoreApplication app(argc, argv);
  if (parsed) parser.process(app);  // prints and exits
  if (parser.isSet(options.version)) parser.showVersion();
  parser.showHelp(0);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication::setOrganizationName(QStringLiteral("Wendloch"));
  QCoreApplication::setApplicationName(QStringLiteral("Quorvalin"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
  QCommandLineParser parser;
  const Options options(parser);
  AnswerHelpOrVersion(parser, options, argc, argv);
  // Before the application exists: it is what warns about the platform.
  qv::InstallConsoleMessages(parser.isSet(options.verbose));

  // The desktop entry's name, so that Wayland compositors match the window to its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvalin"));
  QApplication app(argc, argv);
  parser.process(app);
  QuitOnTerminatingSignals(app);

  double quit_seconds = -1;
  if (parser.isSet(options.quit_after)) {
    bool ok = false;
    quit_seconds = parser.value(options.quit_after).toDouble(&ok);
    if (!ok || quit_seconds < 0) {
      std::fprintf(stderr, "quorvalin: --quit-after needs a number of seconds\n");
      return 2;
    }
  }

  const bool tablet_mode = qv::CMainFrame::DetectTabletMode(parser.isSet(options.tablet));
  qv::QtTimerFactory timers;
  qv::QtAlerts alerts;
  qv::AppSettings settings;

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

  // What the last run left (link, spectrum, window, panels) is read and written only by a run a
  // person drives: scripted runs start from the defaults every time, so they stay reproducible.
  const bool remember = !parser.isSet(options.demo) && !parser.isSet(options.quit_after) &&
                        !parser.isSet(options.snapshot) && !parser.isSet(options.print_pdf);
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
  // fires while it is up. Scripted runs (--quit-after, --snapshot) and QV_NO_RADIO_ALERT=1
  // leave it out altogether: nobody is there to read it.
  const bool scripted = parser.isSet(options.quit_after) || parser.isSet(options.snapshot) ||
                        qEnvironmentVariable("QV_NO_RADIO_ALERT") == QLatin1String("1");
  if (!scripted) frame.OpenRadioAlertAtStartup();

  std::unique_ptr<qv::sim::TcpServer> demo_receiver;
  if (parser.isSet(options.demo)) {
    QString address;
    demo_receiver = StartDemoReceiver(&address);
    if (!demo_receiver) return 1;
    std::printf("quorvalin: demo Receiver on %s:%d\n", qPrintable(address),
                qv::sim::kDefaultTcpPort);
    std::fflush(stdout);
    frame.View().Connection().ConnectTcp(address, qv::sim::kDefaultTcpPort);
  } else if (parser.isSet(options.connect_uri)) {
    if (!ConnectTo(frame.View().Connection(), parser.value(options.connect_uri))) {
      std::fprintf(stderr,
                   "quorvalin: --connect: cannot use '%s' (tcp://HOST[:PORT] or "
                   "serial:/dev/ttyX or usb:SERIAL)\n",
                   qPrintable(parser.value(options.connect_uri)));
      return 2;
    }
  }

  if (parser.isSet(options.record)) {
    const std::string path = parser.value(options.record).toStdString();
    QObject::connect(&frame.View(), &qv::CQuorvalinFormView::HandshakeCompleted, &frame,
                     [&frame, path] {
                       if (frame.View().Display().Recording()) return;
                       if (frame.View().Display().StartLog(path)) {
                         std::printf("quorvalin: recording to %s\n", path.c_str());
                       } else {
                         std::fprintf(stderr, "quorvalin: --record: cannot record to %s\n",
                                      path.c_str());
                       }
                       std::fflush(stdout);
                     });
  }
  if (parser.isSet(options.print_colors)) {
    const QString scheme = parser.value(options.print_colors);
    const int option = scheme == QLatin1String("true")    ? 1
                       : scheme == QLatin1String("econo") ? 2
                       : scheme == QLatin1String("bw")    ? 3
                                                          : 0;
    if (option == 0) {
      std::fprintf(stderr, "quorvalin: --print-colors takes true, econo or bw\n");
      return 2;
    }
    frame.View().Display().SetPrintColourOption(option);
  }
  if (parser.isSet(options.capture)) {
    const std::string path = parser.value(options.capture).toStdString();
    if (!frame.View().Display().CreateCaptureFile(path)) {
      std::fprintf(stderr, "quorvalin: --capture: cannot create %s\n", path.c_str());
      return 1;
    }
  }
  if (parser.isSet(options.capture_every)) {
    bool ok = false;
    const double seconds = parser.value(options.capture_every).toDouble(&ok);
    if (!ok || seconds <= 0) {
      std::fprintf(stderr, "quorvalin: --capture-every needs a number of seconds\n");
      return 2;
    }
    // A site survey that captures on its own: one sweep every SECONDS while sweeps flow.
    auto* every = new QTimer(&frame);
    QObject::connect(every, &QTimer::timeout, &frame, [&frame] {
      qv::CDisplay& display = frame.View().Display();
      if (display.CaptureReady() && (display.SpectrumMode() || display.PowerTriggerMode())) {
        frame.View().OnCommand(qv::kCmdInstantCapture);
      }
    });
    every->start(static_cast<int>(seconds * 1000));
  }
  std::vector<int> open_commands;
  for (const QString& window : parser.values(options.open_window)) {
    if (window == QLatin1String("spectrogram")) {
      open_commands.push_back(qv::kCmdSpectrogram);
    } else if (window == QLatin1String("histogram")) {
      open_commands.push_back(qv::kCmdHistogram);
    } else {
      std::fprintf(stderr, "quorvalin: --open takes spectrogram or histogram, not '%s'\n",
                   qPrintable(window));
      return 2;
    }
  }
  // The windows open as the toolbar opens them: once a Receiver is connected (or a log plays).
  const auto open_windows = [&frame, open_commands] {
    for (int command : open_commands) frame.View().OnCommand(command);
  };
  if (!open_commands.empty()) {
    QObject::connect(&frame.View(), &qv::CQuorvalinFormView::HandshakeCompleted, &frame,
                     open_windows);
  }
  if (parser.isSet(options.review)) {
    const std::string path = parser.value(options.review).toStdString();
    if (!frame.View().ReviewFile(path)) {
      std::fprintf(stderr, "quorvalin: --review: cannot review %s\n", path.c_str());
      return 1;
    }
  }
  if (parser.isSet(options.replay)) {
    const std::string path = parser.value(options.replay).toStdString();
    if (!frame.View().ReplayFile(path)) {
      std::fprintf(stderr, "quorvalin: --replay: cannot play %s\n", path.c_str());
      return 1;
    }
    open_windows();
  }

  // What a scripted run asked for is written however the program ends: the timed quit, the
  // low-battery exit (code 22), File Exit or a signal. The log's end record follows when the
  // window goes.
  bool outputs_written = false;
  const auto write_outputs = [&] {
    if (std::exchange(outputs_written, true)) return;
    if (parser.isSet(options.snapshot)) SaveSnapshot(frame, parser.value(options.snapshot));
    if (parser.isSet(options.print_pdf)) {
      const QString pdf = parser.value(options.print_pdf);
      if (frame.View().PrintToPdf(pdf)) {
        std::printf("quorvalin: graph printed to %s\n", qPrintable(pdf));
      } else {
        std::fprintf(stderr, "quorvalin: cannot print to %s\n", qPrintable(pdf));
      }
      std::fflush(stdout);
    }
    if (parser.isSet(options.export_traces)) {
      const QString csv = parser.value(options.export_traces);
      std::string error;
      if (qv::ExportTraces(frame.View().Display(), csv.toStdString(), &error)) {
        std::printf("quorvalin: traces exported to %s\n", qPrintable(csv));
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
  if (quit_seconds >= 0) {
    QTimer::singleShot(static_cast<int>(quit_seconds * 1000), &app, [&write_outputs] {
      write_outputs();
      QApplication::quit();
    });
  }
  return QApplication::exec();
}
