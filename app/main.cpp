#include <QApplication>
#include <QCommandLineParser>
#include <QImageWriter>
#include <QTimer>
#include <cstdio>

#include "gui/app/main_frame.h"

namespace {

// Saves a picture of the window just before the program quits.
bool SaveSnapshot(QWidget& window, const QString& path) {
  const QImage image = window.grab().toImage();
  QImageWriter writer(path);
  if (!writer.write(image)) {
    std::fprintf(stderr, "quorvalin: cannot save snapshot to %s: %s\n", qPrintable(path),
                 qPrintable(writer.errorString()));
    return false;
  }
  std::printf("quorvalin: snapshot saved to %s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Wendloch"));
  QApplication::setApplicationName(QStringLiteral("Quorvalin"));
  QApplication::setApplicationVersion(QStringLiteral(QV_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Spectrum analyser front end for the Receiver"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption demo(QStringLiteral("demo"),
                                QStringLiteral("Run against the built-in simulated Receiver."));
  const QCommandLineOption tablet(QStringLiteral("tablet"), QStringLiteral("Tablet mode."));
  const QCommandLineOption snapshot(QStringLiteral("snapshot"),
                                    QStringLiteral("Save a picture of the view before quitting."),
                                    QStringLiteral("FILE"));
  const QCommandLineOption quit_after(QStringLiteral("quit-after"),
                                      QStringLiteral("Quit after this many seconds."),
                                      QStringLiteral("SECONDS"));
  parser.addOptions({demo, tablet, snapshot, quit_after});
  parser.process(app);

  if (parser.isSet(demo)) {
    // The built-in simulated Receiver is not part of this build yet; say so rather than
    // pretend to connect.
    std::fprintf(stderr, "quorvalin: --demo: the simulated Receiver is not available yet\n");
  }

  qv::CMainFrame frame(parser.isSet(tablet));
  frame.showMaximized();

  if (parser.isSet(quit_after)) {
    bool ok = false;
    const double seconds = parser.value(quit_after).toDouble(&ok);
    if (!ok || seconds < 0) {
      std::fprintf(stderr, "quorvalin: --quit-after needs a number of seconds\n");
      return 2;
    }
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&] {
      if (parser.isSet(snapshot)) SaveSnapshot(frame, parser.value(snapshot));
      QApplication::quit();
    });
  }
  return QApplication::exec();
}
