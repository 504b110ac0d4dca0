#include "gui/record/log_option_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CLogOptionDialog::CLogOptionDialog(const SpectrumLogChoice& spectrum_log, QWidget* parent)
    : QDialog(parent),
      spectrum_log_(
          new QCheckBox(QStringLiteral("    Log Continuous Real Time Spectrum Data (*.kzq)"), this)),
      capture_(new QCheckBox(QStringLiteral("    Instant Capture File (*.icf File)"), this)) {
  setWindowTitle(QStringLiteral("Logging Options"));
  spectrum_log_->setEnabled(spectrum_log.enabled);
  spectrum_log_->setToolTip(QString::fromStdString(spectrum_log.why_not));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(spectrum_log_);
  layout->addWidget(capture_);
  layout->addWidget(OkCancel(this));
}

bool CLogOptionDialog::SpectrumLogChosen() const {
  return spectrum_log_->isEnabled() && spectrum_log_->isChecked();
}

bool CLogOptionDialog::CaptureChosen() const {
  return capture_->isChecked();
}

CReplayChoiceDialog::CReplayChoiceDialog(int choice, QWidget* parent)
    : QDialog(parent),
      spectrum_log_(new QRadioButton(QStringLiteral("    Open Spectrum Log File for replay"), this)),
      time_marker_(
          new QRadioButton(QStringLiteral("    Open Time Marker Log File For Replay"), this)) {
  setWindowTitle(QStringLiteral("Select Replay Type"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(spectrum_log_);
  layout->addWidget(time_marker_);
  layout->addWidget(OkCancel(this));
  (choice == kCaptureReplay ? time_marker_ : spectrum_log_)->setChecked(true);
}

int CReplayChoiceDialog::Choice() const {
  if (spectrum_log_->isChecked()) return 1;
  if (time_marker_->isChecked()) return 2;
  return 0;
}

}  // namespace qv
