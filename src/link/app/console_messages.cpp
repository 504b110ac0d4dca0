#include "link/app/console_messages.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace qv {

// Only warnings by default: the trace is debug output.
Q_LOGGING_CATEGORY(lcLink, "quorvalin.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHandshake, "quorvalin.handshake", QtWarningMsg)

namespace {

// Qt's window stubs for plugins that have no window manager to ask; the program shows and hides
// its windows without these and loses nothing.
constexpr QLatin1String kUnsupportedByPlugin[] = {
    QLatin1String("This plugin does not support raise()"),
    QLatin1String("This plugin does not support lower()"),
    QLatin1String("This plugin does not support propagateSizeHints()"),
    QLatin1String("This plugin does not support setting window masks"),
    QLatin1String("This plugin does not support setting window opacity"),
    QLatin1String("This plugin does not support grabbing the keyboard"),
    QLatin1String("This plugin does not support grabbing the mouse"),
};
// Without a login session (root in a container, a service) Qt makes its own runtime folder.
// Its other runtime-folder complaints (wrong owner, wrong permissions) are real and stay.
constexpr QLatin1String kRuntimeDirFallback("QStandardPaths: XDG_RUNTIME_DIR not set");

std::atomic<QtMessageHandler> g_next_handler{nullptr};

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && IsExpectedPlatformMessage(context.category, text)) return;
  if (QtMessageHandler next = g_next_handler.load()) {
    next(type, context, text);
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

}  // namespace

bool IsExpectedPlatformMessage(const char* category, const QString& text) {
  const bool from_qt = category == nullptr || std::strcmp(category, "default") == 0 ||
                       std::strncmp(category, "qt.", 3) == 0;
  if (!from_qt) return false;
  for (QLatin1String expected : kUnsupportedByPlugin) {
    if (text == expected) return true;
  }
  return text.startsWith(kRuntimeDirFallback);
}

void InstallConsoleMessages(bool verbose) {
  if (verbose) {
    QLoggingCategory::setFilterRules(QStringLiteral("quorvalin.*=true"));
    // When it was sent matters in a handshake trace; a pattern the user set wins.
    if (!qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN")) {
      qSetMessagePattern(
          QStringLiteral("%{time process} %{if-category}%{category}: %{endif}%{message}"));
    }
  }
  const QtMessageHandler previous = qInstallMessageHandler(&FilterMessage);
  if (previous != &FilterMessage) g_next_handler.store(previous);
}

QString HexBytes(const uint8_t* data, size_t length, size_t shown) {
  QString text;
  const size_t count = length < shown ? length : shown;
  text.reserve(static_cast<qsizetype>(count * 3 + 16));
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += QLatin1Char(' ');
    text += QString::number(data[i], 16).rightJustified(2, QLatin1Char('0'));
  }
  if (length > count) text += QStringLiteral(" .. (%1 bytes)").arg(length);
  return text;
}

void TraceSend(const char* link, const uint8_t* frame, size_t length, bool sent) {
  qCDebug(lcLink).noquote() << link << (sent ? "sent" : "could not send")
                            << HexBytes(frame, length);
}

}  // namespace qv
