#include "gui/app/manual_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

// The text lives in a static library, whose resources are registered only when asked for; the
// macro declares a global function, so it cannot be used inside the namespace.
static void InitManualResource() {
  Q_INIT_RESOURCE(manual);
}

namespace qv {

CManualWindow::CManualWindow(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit(this)) {
  setWindowTitle(QStringLiteral("Quorvalin Manual"));
  text_->setObjectName(QStringLiteral("manualText"));
  text_->setReadOnly(true);
  // The page is laid out in columns by the formatter.
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setPlainText(ManualText());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(buttons);
  resize(760, 640);
}

QString CManualWindow::Text() const {
  return text_->toPlainText();
}

QString CManualWindow::ManualText() {
  InitManualResource();
  QFile file(QStringLiteral(":/manual/quorvalin.txt"));
  if (!file.open(QIODevice::ReadOnly)) {
    return QStringLiteral("The manual was not built into this program; see quorvalin(1).");
  }
  return QString::fromUtf8(file.readAll());
}

}  // namespace qv
