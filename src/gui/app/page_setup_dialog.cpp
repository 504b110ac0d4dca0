#include "gui/app/page_setup_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRadioButton>

namespace qv {
namespace {

constexpr QPageSize::PageSizeId kPapers[] = {QPageSize::A4, QPageSize::Letter, QPageSize::A3,
                                             QPageSize::Legal, QPageSize::A5};

}  // namespace

CPageSetupDialog::CPageSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent),
      printer_(printer),
      paper_(new QComboBox(this)),
      portrait_(new QRadioButton(QStringLiteral("Portrait"), this)),
      landscape_(new QRadioButton(QStringLiteral("Landscape"), this)) {
  setWindowTitle(QStringLiteral("Page Setup"));
  const QPageLayout layout = printer.pageLayout();
  for (const QPageSize::PageSizeId id : kPapers) {
    paper_->addItem(QPageSize::name(id), static_cast<int>(id));
    if (layout.pageSize().id() == id) paper_->setCurrentIndex(paper_->count() - 1);
  }
  (layout.orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);
  auto* orientation = new QHBoxLayout;
  orientation->addWidget(portrait_);
  orientation->addWidget(landscape_);
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Paper:"), paper_);
  form->addRow(QStringLiteral("Orientation:"), orientation);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(this, &QDialog::accepted, this, &CPageSetupDialog::Apply);
}

void CPageSetupDialog::Apply() {
  printer_.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(paper_->currentData().toInt())));
  printer_.setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
}

}  // namespace qv
