#include "gui/app/main_frame.h"

namespace qv {

CMainFrame::CMainFrame(bool tablet_mode, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(TitleFor(tablet_mode));
  resize(1280, 800);
}

QString CMainFrame::TitleFor(bool tablet_mode) {
  return tablet_mode ? QStringLiteral("Quorvalin Tablet PC Edition")
                     : QStringLiteral("Tolvex PC based Spectrum Analyzer");
}

}  // namespace qv
