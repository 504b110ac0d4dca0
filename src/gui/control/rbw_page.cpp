#include "gui/control/rbw_page.h"

#include <QVBoxLayout>

#include "core/app/connection_ops.h"
#include "core/app/spectrum_settings.h"

namespace qv {

CRBWDialog::CRBWDialog(PageContext& context, QWidget* parent)
    : CTabDialog(QString::fromUtf8(kResolutionTabCaption.data(),
                                   static_cast<int>(kResolutionTabCaption.size())),
                 context.timers, parent),
      context_(context) {
  auto* column = new QVBoxLayout(Body());
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(3);
  for (const RbwButton& rbw : kRbwButtons) {
    auto* button = new QPushButton(
        QString::fromUtf8(rbw.caption.data(), static_cast<int>(rbw.caption.size())), Body());
    button->setFocusPolicy(Qt::NoFocus);  // the graph keeps the keyboard
    column->addWidget(button);
    const uint16_t code = rbw.code;
    connect(button, &QPushButton::clicked, this, [this, code] { Choose(code); });
  }
  InitPage();
}

QPushButton* CRBWDialog::Button(const QString& caption) const {
  for (QPushButton* button : Body()->findChildren<QPushButton*>()) {
    if (button->text() == caption) return button;
  }
  return nullptr;
}

void CRBWDialog::Choose(uint16_t code) {
  code_ = code;
  if (context_.ops == nullptr) return;
  SpectrumSettings& working = context_.ops->State().working;
  working.start = context_.trace.header.start;
  working.span = context_.trace.header.points;
  working.sweep_word = 1;
  working.rbw_code = code;
  // A failed send has no message of its own here; the dispatcher reports it.
  context_.ops->SendSpectrumSettings(working);
}

}  // namespace qv
