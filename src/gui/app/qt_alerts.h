#pragma once

#include <QPointer>
#include <QWidget>

#include "core/app/alerts.h"
#include "core/app/file_chooser.h"

namespace qv {

// Message boxes of the program: modal, with the given caption, owned by a parent window.
class QtAlerts : public Alerts {
 public:
  explicit QtAlerts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Show(const std::string& text, const std::string& caption) override;

 private:
  QPointer<QWidget> parent_;
};

// File dialogs of the program.
class QtFileChooser : public FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> OpenFileName(const std::string& title,
                                          const std::string& filter) override;
  std::optional<std::string> SaveFileName(const std::string& title, const std::string& filter,
                                          const std::string& suggested_name) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace qv
