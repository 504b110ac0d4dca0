#pragma once

#include <QDialog>

class QComboBox;
class QPrinter;
class QRadioButton;

namespace qv {

// Print Setup for a printer Qt's own page set-up cannot serve (the PDF printer): the paper and
// the orientation, applied to the printer on OK.
class CPageSetupDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CPageSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

  QComboBox* PaperBox() const { return paper_; }
  QRadioButton* LandscapeButton() const { return landscape_; }

 private:
  void Apply();

  QPrinter& printer_;
  QComboBox* paper_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
};

}  // namespace qv
