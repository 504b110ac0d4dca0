#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QStringList>

#include "link/app/console_messages.h"

namespace qv {
namespace {

QStringList g_passed;
void Record(QtMsgType, const QMessageLogContext& context, const QString& text) {
  g_passed << QStringLiteral("%1|%2").arg(QLatin1String(context.category), text);
}

// What Qt prints on a headless run is dropped; look-alikes from elsewhere and real runtime-folder
// problems are not.
TEST(ConsoleMessagesTest, OnlyQtsExpectedPlatformMessagesAreDropped) {
  for (const char* text :
       {"This plugin does not support raise()", "This plugin does not support propagateSizeHints()",
        "This plugin does not support setting window masks",
        "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'"}) {
    EXPECT_TRUE(IsExpectedPlatformMessage("default", QString::fromLatin1(text))) << text;
    EXPECT_TRUE(IsExpectedPlatformMessage("qt.qpa.window", QString::fromLatin1(text))) << text;
    EXPECT_FALSE(IsExpectedPlatformMessage("quorvalin.link", QString::fromLatin1(text))) << text;
  }
  for (const char* text :
       {"This plugin does not support createPlatformOpenGLContext!",
        "QStandardPaths: wrong permissions on runtime directory /run/user/0, 0755 instead of 0700",
        "QPainter::begin: Paint device returned engine == 0, type: 2",
        "This plugin does not support raise() at all"}) {
    EXPECT_FALSE(IsExpectedPlatformMessage("default", QString::fromLatin1(text))) << text;
  }
}

// Installed in front of another handler: expected warnings stop there, real ones and (with
// --verbose) the link trace pass on.
TEST(ConsoleMessagesTest, FilterPassesRealWarningsAndTheTraceWhenVerbose) {
  g_passed.clear();
  const QtMessageHandler original = qInstallMessageHandler(&Record);
  InstallConsoleMessages(/*verbose=*/false);
  qWarning("This plugin does not support raise()");
  qWarning("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-x'");
  qWarning("Something real");
  qCDebug(lcLink) << "hidden without --verbose";
  qCWarning(lcHandshake) << "a handshake warning";
  InstallConsoleMessages(/*verbose=*/true);
  const uint8_t frame[30] = {0x11, 0x12, 0x01};
  TraceSend("tcp", frame, 3, true);
  TraceSend("tcp", frame, sizeof frame, false);
  qInstallMessageHandler(original);
  QLoggingCategory::setFilterRules(QString());
  qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));

  EXPECT_EQ(g_passed, QStringList({"default|Something real",
                                   "quorvalin.handshake|a handshake warning",
                                   "quorvalin.link|tcp sent 11 12 01",
                                   "quorvalin.link|tcp could not send 11 12 01 00 00 00 00 00 00 "
                                   "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 .. (30 bytes)"}));
}

}  // namespace
}  // namespace qv
