#pragma once

#include <QDialog>

#include "core/app/remembered_settings.h"
#include "core/control/form_view_rules.h"

class QCheckBox;
class QRadioButton;

namespace qv {

// "Logging Options": what to record from now on. The spectrum log cannot be chosen while a log
// is recorded or plays in the graph; its box says why.
class CLogOptionDialog : public QDialog {
  Q_OBJECT

 public:
  CLogOptionDialog(const SpectrumLogChoice& spectrum_log, QWidget* parent = nullptr);

  bool SpectrumLogChosen() const;
  bool CaptureChosen() const;
  QCheckBox* SpectrumLogBox() const { return spectrum_log_; }
  QCheckBox* CaptureBox() const { return capture_; }

 private:
  QCheckBox* spectrum_log_;
  QCheckBox* capture_;
};

// "Select Replay Type": a spectrum log, or a time-marker file.
class CReplayChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens with `choice` (1 or 2, the one used last) chosen, so OK always opens something.
  explicit CReplayChoiceDialog(int choice = kSpectrumLogReplay, QWidget* parent = nullptr);

  // 1 spectrum log, 2 time-marker file.
  int Choice() const;
  QRadioButton* SpectrumLogButton() const { return spectrum_log_; }
  QRadioButton* TimeMarkerButton() const { return time_marker_; }

 private:
  QRadioButton* spectrum_log_;
  QRadioButton* time_marker_;
};

}  // namespace qv
