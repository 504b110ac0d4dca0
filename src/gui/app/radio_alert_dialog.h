#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace qv {

class AppSettings;

// Asks the user to switch off the computer's own radios, which show up in the measurements.
// The check box keeps the alert away at the next start; only OK stores the choice.
class CDisableRadioAlertDialog : public QDialog {
  Q_OBJECT

 public:
  static const char* const kText;

  explicit CDisableRadioAlertDialog(AppSettings& settings, QWidget* parent = nullptr);

  QCheckBox* CheckBox() const { return check_box_; }
  QPushButton* OkButton() const { return ok_button_; }
  // The value OK will store.
  int KeptValue() const { return value_; }

 private:
  void OnCheckBoxClicked();
  void OnOk();

  AppSettings& settings_;
  int value_ = 0;
  QCheckBox* check_box_ = nullptr;
  QPushButton* ok_button_ = nullptr;
};

}  // namespace qv
