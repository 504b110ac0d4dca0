#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace qv {

// Help > About: the program's name and version, which differ between the two editions.
class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(bool tablet_mode, QWidget* parent = nullptr);

  static QString VersionText(bool tablet_mode);
  QString Text() const;

 private:
  QLabel* text_ = nullptr;
};

}  // namespace qv
