#pragma once

#include <QString>
#include <QToolBar>

class QAction;
class QLabel;
class QStatusBar;

namespace qv {

class CConnectionEx;

// Shows a lost link without stopping the user: a row under the toolbar and the status bar's
// message say what went away and what happens next, and offer "Reconnect" (and "Stop", which
// gives up waiting). Its two actions also go into the frame's Connection menu.
class CLinkLostBar : public QToolBar {
  Q_OBJECT

 public:
  CLinkLostBar(CConnectionEx& connection, QStatusBar* status_bar, QWidget* parent = nullptr);

  QAction* ReconnectAction() const { return reconnect_; }
  // Checkable; the frame remembers it.
  QAction* AutomaticAction() const { return automatic_; }
  QString Text() const;

 private:
  void Follow();

  CConnectionEx& connection_;
  QStatusBar* status_bar_;
  QLabel* label_;
  QAction* reconnect_;
  QAction* stop_;
  QAction* automatic_;
  QString shown_;  // the status bar message this bar put there
};

}  // namespace qv
