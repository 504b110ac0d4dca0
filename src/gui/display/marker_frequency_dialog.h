#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

namespace qv {

// "Marker to Frequency…": asks for a frequency in MHz within the sweep shown.
class CMarkerFrequencyDialog : public QDialog {
  Q_OBJECT

 public:
  CMarkerFrequencyDialog(double low_mhz, double high_mhz, double current_mhz,
                         QWidget* parent = nullptr);

  QLineEdit& Entry() { return *entry_; }
  // The typed frequency; none when it is no number.
  std::optional<double> Frequency() const;

 private:
  QLineEdit* entry_;
};

}  // namespace qv
