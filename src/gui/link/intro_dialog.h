#pragma once

#include <QLabel>
#include <QWidget>

#include "core/link/handshake.h"

namespace qv {

// The small caption-less window that shows the connection progress on top of everything.
class CIntroDialog : public QWidget, public ProgressView {
  Q_OBJECT

 public:
  explicit CIntroDialog(QWidget* parent = nullptr);

  QString Text() const { return label_->text(); }

  void SetProgressText(const std::string& text) override;
  void ShowProgress() override;
  void HideProgress() override { hide(); }

 private:
  QLabel* label_;
};

}  // namespace qv
