#pragma once

#include <QString>
#include <cstdint>

#include "gui/ui/page_context.h"
#include "gui/ui/tab_dialog.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace qv {

class CLimitsController;

// The "Limits" side panel: loads and clears the upper and lower lines, chooses the actions on a
// violation and lists the violations.
class CLimitsPage : public CTabDialog {
  Q_OBJECT

 public:
  CLimitsPage(PageContext& context, CLimitsController& limits, QWidget* parent = nullptr);

  QPushButton* Button(const QString& caption) const;
  QCheckBox* Option(const QString& caption) const;
  QTreeWidget* Events() const { return events_; }

 private:
  void Choose(bool lower);
  // The files, options and events as the controller has them.
  void Refresh();

  PageContext& context_;
  CLimitsController& limits_;
  QLabel* upper_ = nullptr;
  QLabel* lower_ = nullptr;
  QCheckBox* beep_ = nullptr;
  QCheckBox* capture_ = nullptr;
  QTreeWidget* events_ = nullptr;
  uint64_t dropped_ = 0;  // the monitor's count the rows were listed with
};

}  // namespace qv
