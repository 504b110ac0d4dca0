#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "core/ui/keyboard.h"
#include "gui/ui/page_context.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

// The "Trigger" side panel: threshold and delay entry on an on-screen keypad, "Set Trigger" and
// "Stop Trigger", and the texts of the time since the last trigger that the graph paints.
class CTriggerDialog : public CTabDialog {
  Q_OBJECT

 public:
  explicit CTriggerDialog(PageContext& context, QWidget* parent = nullptr);

  // Graph timer 2, once a second: one more second since the last trigger.
  void Tick();
  // A power-trigger sweep arrived: the count starts again from nought.
  void TriggerArrived();

  void SetTrigger();
  void StopTrigger();

  QLineEdit* ThresholdEdit() const { return threshold_edit_; }
  QLineEdit* DelayEdit() const { return delay_edit_; }
  // The button with this caption, or null. The two arrow pairs share captions, so they have
  // their own getters.
  QPushButton* Button(const QString& caption) const;
  QPushButton* ThresholdUp() const { return threshold_up_; }
  QPushButton* ThresholdDown() const { return threshold_down_; }
  QPushButton* DelayUp() const { return delay_up_; }
  QPushButton* DelayDown() const { return delay_down_; }
  // The box the keypad types into.
  QLineEdit* KeypadTarget() const { return target_; }

  QString StatusText() const { return status_text_; }
  int Minutes() const { return minutes_; }
  int Seconds() const { return seconds_; }

 signals:
  // Set Trigger starts graph timer 2 before anything is sent.
  void TriggerClockStartRequested();
  // A text the graph paints changed.
  void TextsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StepThreshold(int delta);
  void PressKey(int key);
  void Backspace();
  void OnThresholdChanged(const QString& text);
  void OnDelayChanged(const QString& text);
  void SetTimeText(const QString& text);

  PageContext& context_;
  QString delay_text_;
  QString threshold_text_;
  QPushButton* threshold_up_ = nullptr;
  QPushButton* threshold_down_ = nullptr;
  QPushButton* delay_up_ = nullptr;
  QPushButton* delay_down_ = nullptr;
  QPushButton* set_button_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  QLineEdit* threshold_edit_ = nullptr;
  QLineEdit* delay_edit_ = nullptr;
  CKeyBoard keyboard_;
  QLineEdit* target_ = nullptr;
  QString status_text_;
  int minutes_ = 0;
  int seconds_ = 0;
};

}  // namespace qv
