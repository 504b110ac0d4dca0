#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <deque>

#include "core/app/alerts.h"
#include "core/app/file_chooser.h"

class QDialog;

namespace qv {

// Message boxes of the program: modal, with the given caption, centred on a parent window. One
// box at a time: a message that comes while a box or another alert is up (the radio alert)
// waits until it is closed, and Show returns at once. In a scripted run (and once the program
// is ending) nobody would close a box: each message goes to standard error as one line
// instead, and Show returns at once.
class QtAlerts : public Alerts {
 public:
  explicit QtAlerts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetScripted(bool scripted) { scripted_ = scripted; }
  void Show(const std::string& text, const std::string& caption) override;
  void Note(const std::string& text) override;
  // Yes or No, No by default; in a scripted run the message goes to standard error and the
  // answer is No.
  bool Ask(const std::string& text, const std::string& caption) override;

  // A dialog of its own that is an alert too: messages wait while it is up.
  static void TreatAsAlert(QDialog& dialog);

 private:
  struct Message {
    std::string text;
    std::string caption;
  };
  void ShowWaiting();

  QPointer<QWidget> parent_;
  bool scripted_ = false;
  std::deque<Message> waiting_;
  bool showing_ = false;
  QObject context_;  // ends the wait for another alert with this object
};

// File dialogs of the program.
class QtFileChooser : public FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> OpenFileName(const std::string& title,
                                          const std::string& filter) override;
  std::optional<std::string> SaveFileName(const std::string& title, const std::string& filter,
                                          const std::string& suggested_name,
                                          std::string* chosen_filter) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace qv
