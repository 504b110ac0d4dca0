#include "gui/app/qt_alerts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace qv {

void QtAlerts::Show(const std::string& text, const std::string& caption) {
  if (scripted_) {
    // One line per message, so a script can read it.
    const QString line = (caption.empty() ? QString() : QString::fromStdString(caption) + ": ") +
                         QString::fromStdString(text).simplified();
    std::fprintf(stderr, "quorvalin: %s\n", qPrintable(line));
    std::fflush(stderr);
    return;
  }
  QMessageBox::information(parent_, QString::fromStdString(caption), QString::fromStdString(text));
}

std::optional<std::string> QtFileChooser::OpenFileName(const std::string& title,
                                                       const std::string& filter) {
  const QString path = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title),
                                                    QString(), QString::fromStdString(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtFileChooser::SaveFileName(const std::string& title,
                                                       const std::string& filter,
                                                       const std::string& suggested_name,
                                                       std::string* chosen_filter) {
  QString chosen;
  const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                                    QString::fromStdString(suggested_name),
                                                    QString::fromStdString(filter), &chosen);
  if (path.isEmpty()) return std::nullopt;
  if (chosen_filter != nullptr) *chosen_filter = chosen.toStdString();
  return path.toStdString();
}

}  // namespace qv
