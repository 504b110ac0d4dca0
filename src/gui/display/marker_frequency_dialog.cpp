#include "gui/display/marker_frequency_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

namespace qv {

CMarkerFrequencyDialog::CMarkerFrequencyDialog(double low_mhz, double high_mhz,
                                               double current_mhz, QWidget* parent)
    : QDialog(parent), entry_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Marker to Frequency"));
  entry_->setObjectName(QStringLiteral("markerFrequency"));
  entry_->setText(QString::number(current_mhz, 'f', 2));
  entry_->selectAll();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Frequency in MHz (%1 ... %2):")
                                   .arg(low_mhz, 0, 'f', 2)
                                   .arg(high_mhz, 0, 'f', 2),
                               this));
  layout->addWidget(entry_);
  layout->addWidget(buttons);
}

std::optional<double> CMarkerFrequencyDialog::Frequency() const {
  bool ok = false;
  const double mhz = entry_->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(mhz)) return std::nullopt;
  return mhz;
}

}  // namespace qv
