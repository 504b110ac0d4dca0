#include "gui/app/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/toolbar_icons.h"

namespace qv {

CAboutDialog::CAboutDialog(bool tablet_mode, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quorvalin"));

  auto* icon = new QLabel(this);
  icon->setPixmap(ApplicationIcon().pixmap(48, 48));
  text_ = new QLabel(VersionText(tablet_mode), this);
  text_->setObjectName(QStringLiteral("aboutText"));

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

QString CAboutDialog::VersionText(bool tablet_mode) {
  return tablet_mode ? QStringLiteral("Quorvalin Tablet PC Edition: v 1.1")
                     : QStringLiteral("Tolvex PC based Spectrum Analyzer: v 2.1");
}

QString CAboutDialog::Text() const {
  return text_->text();
}

}  // namespace qv
