#include "gui/link/intro_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "link/app/console_messages.h"

namespace qv {

CIntroDialog::CIntroDialog(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      label_(new QLabel(this)) {
  setObjectName(QStringLiteral("progressWindow"));
  label_->setAlignment(Qt::AlignCenter);
  label_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  // Roughly the size of the progress window the Receiver's users know.
  resize(340, 90);
}

void CIntroDialog::SetProgressText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (!shown.isEmpty()) {
    qCDebug(lcHandshake).noquote()
        << QString(shown).replace(QLatin1Char('\n'), QLatin1String(" / "));
  }
  label_->setText(shown);
}

void CIntroDialog::ShowProgress() {
  if (!isVisible()) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.center() - rect().center());
    }
    show();
  }
  raise();
}

}  // namespace qv
