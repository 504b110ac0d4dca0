#pragma once

#include <QString>

namespace qv {

// The captions of every up and down button on the pages, so they look alike.
inline QString UpArrowCaption() { return QStringLiteral("\u25B2"); }
inline QString DownArrowCaption() { return QStringLiteral("\u25BC"); }

}  // namespace qv
