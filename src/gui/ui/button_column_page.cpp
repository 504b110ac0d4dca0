#include "gui/ui/button_column_page.h"

#include <QVBoxLayout>

#include "gui/ui/page_buttons.h"

namespace qv {

CButtonColumnPage::CButtonColumnPage(const QString& title, TimerFactory& timers, QWidget* parent)
    : CTabDialog(title, timers, parent), column_(new QVBoxLayout(Body())) {
  column_->setContentsMargins(6, 6, 6, 6);
  column_->setSpacing(3);
}

QPushButton* CButtonColumnPage::Button(const QString& caption) const {
  return FindButton(Body(), caption);
}

void CButtonColumnPage::AddChoice(const QString& caption, std::function<void()> choose) {
  QPushButton* button = NewPageButton(caption, Body());
  column_->addWidget(button);
  connect(button, &QPushButton::clicked, this, std::move(choose));
}

}  // namespace qv
