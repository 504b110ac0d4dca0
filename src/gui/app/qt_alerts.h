#pragma once

#include <QPointer>
#include <QWidget>

#include "core/app/alerts.h"
#include "core/app/file_chooser.h"

namespace qv {

// Message boxes of the program: modal, with the given caption, owned by a parent window. In a
// scripted run (and once the program is ending) nobody would close a box: each message goes to
// standard error as one line instead, and Show returns at once.
class QtAlerts : public Alerts {
 public:
  explicit QtAlerts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetScripted(bool scripted) { scripted_ = scripted; }
  void Show(const std::string& text, const std::string& caption) override;

 private:
  QPointer<QWidget> parent_;
  bool scripted_ = false;
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
