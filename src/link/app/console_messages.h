#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

namespace qv {

// The trace a user attaches to a bug report (`quorvalin --verbose`): links opening, closing,
// every frame sent and every message received; the handshake's progress. Off by default; only
// their warnings reach the console unless the trace is asked for.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcHandshake)

// Whether a message is one that Qt prints about the platform in use although nothing is wrong:
// a platform plugin without window management (offscreen, minimal) saying it cannot raise a
// window or set a mask, or the runtime directory falling back to /tmp when no login session
// made one. Only Qt's own messages qualify; the program's categories never do.
bool IsExpectedPlatformMessage(const char* category, const QString& text);

// Installs the program's console filter: expected platform messages are dropped, everything
// else goes on to the handler that was installed before (Qt's, which prints to stderr).
// `verbose` turns the link and handshake trace on, each line with the time since start.
void InstallConsoleMessages(bool verbose);

// "11 12 01 ..": at most `shown` bytes in hex, then how many more there were.
QString HexBytes(const uint8_t* data, size_t length, size_t shown = 24);

// Traces one frame handed to a link, with whether the link took it.
void TraceSend(const char* link, const uint8_t* frame, size_t length, bool sent);

}  // namespace qv
