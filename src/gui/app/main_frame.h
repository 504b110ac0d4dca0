#pragma once

#include <QMainWindow>

namespace qv {

// The program's top-level window.
class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(bool tablet_mode, QWidget* parent = nullptr);

  static QString TitleFor(bool tablet_mode);
};

}  // namespace qv
