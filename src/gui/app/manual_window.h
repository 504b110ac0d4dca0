#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace qv {

// Help > Manual: the program's manual page as text, built into the program so it reads the same
// from the build tree, from the package and without a network or a man installation.
class CManualWindow : public QDialog {
  Q_OBJECT

 public:
  explicit CManualWindow(QWidget* parent = nullptr);

  QString Text() const;
  // The built-in text; a note saying it is missing when the build had no way to make it.
  static QString ManualText();

 private:
  QPlainTextEdit* text_;
};

}  // namespace qv
