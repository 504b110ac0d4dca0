#pragma once

#include <QPushButton>
#include <QString>
#include <functional>

#include "core/app/timer.h"
#include "gui/ui/tab_dialog.h"

class QVBoxLayout;

namespace qv {

// Base of the pages that are one column of buttons, each making one choice.
class CButtonColumnPage : public CTabDialog {
  Q_OBJECT

 public:
  // The button with this caption, or null.
  QPushButton* Button(const QString& caption) const;

 protected:
  CButtonColumnPage(const QString& title, TimerFactory& timers, QWidget* parent);

  // Adds a button at the foot of the column; a click runs `choose`.
  void AddChoice(const QString& caption, std::function<void()> choose);

 private:
  QVBoxLayout* column_;
};

}  // namespace qv
