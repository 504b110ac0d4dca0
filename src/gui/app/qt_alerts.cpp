#include "gui/app/qt_alerts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>
#include <utility>

#include "gui/app/window_place.h"

namespace qv {
namespace {

const char* const kAlertProperty = "quorvalinAlert";

// Its size is settled in its own show event, so it is centred after that.
class AlertBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    CentreOnParent(*this);
  }
};

QDialog* OtherAlertUp() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->property(kAlertProperty).toBool()) {
      return qobject_cast<QDialog*>(window);
    }
  }
  return nullptr;
}

}  // namespace

void QtAlerts::TreatAsAlert(QDialog& dialog) {
  dialog.setProperty(kAlertProperty, true);
}

void QtAlerts::Show(const std::string& text, const std::string& caption) {
  waiting_.push_back({text, caption});
  ShowWaiting();
}

bool QtAlerts::Ask(const std::string& text, const std::string& caption) {
  if (scripted_) {
    Show(text, caption);
    return false;
  }
  // Messages that come meanwhile wait behind the question.
  const bool was_showing = std::exchange(showing_, true);
  AlertBox box(QMessageBox::Question, QString::fromStdString(caption),
               QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  const bool yes = box.exec() == QMessageBox::Yes;
  showing_ = was_showing;
  if (!showing_) ShowWaiting();
  return yes;
}

void QtAlerts::ShowWaiting() {
  // A message that comes from the event loop of the box up now is shown by this loop after it.
  if (showing_) return;
  showing_ = true;
  while (!waiting_.empty()) {
    if (QDialog* other = scripted_ ? nullptr : OtherAlertUp()) {
      QObject::connect(
          other, &QDialog::finished, &context_, [this] { ShowWaiting(); },
          static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
      break;
    }
    const Message message = waiting_.front();
    waiting_.pop_front();
    if (scripted_) {
      // One line per message, so a script can read it.
      const QString line =
          (message.caption.empty() ? QString() : QString::fromStdString(message.caption) + ": ") +
          QString::fromStdString(message.text).simplified();
      std::fprintf(stderr, "quorvalin: %s\n", qPrintable(line));
      std::fflush(stderr);
      continue;
    }
    AlertBox box(QMessageBox::Information, QString::fromStdString(message.caption),
                 QString::fromStdString(message.text), QMessageBox::Ok, parent_);
    box.exec();
  }
  showing_ = false;
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

void QtAlerts::Note(const std::string& text) {
  if (!scripted_) return;
  std::fprintf(stderr, "quorvalin: %s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace qv
