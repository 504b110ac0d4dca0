#include "gui/control/reference_level_page.h"

#include <QVBoxLayout>

#include "core/app/connection_ops.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"

namespace qv {
namespace {

constexpr int16_t kSpectrogramDepthDb = 100;  // the waterfall's colour scale spans 100 dB

}  // namespace

CRefLvlDialog::CRefLvlDialog(PageContext& context, QWidget* parent)
    : CTabDialog(QString::fromUtf8(kReferenceLevelTabCaption.data(),
                                   static_cast<int>(kReferenceLevelTabCaption.size())),
                 context.timers, parent),
      context_(context) {
  auto* column = new QVBoxLayout(Body());
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(3);
  for (int32_t index = kFirstReferenceIndex; index <= kLastReferenceIndex; ++index) {
    auto* button =
        new QPushButton(QString::fromStdString(DbmText(ReferenceLevelDbm(index))), Body());
    button->setFocusPolicy(Qt::NoFocus);  // the graph keeps the keyboard
    column->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, index] { Choose(index); });
  }
  InitPage();
}

QPushButton* CRefLvlDialog::Button(const QString& caption) const {
  for (QPushButton* button : Body()->findChildren<QPushButton*>()) {
    if (button->text() == caption) return button;
  }
  return nullptr;
}

void CRefLvlDialog::Choose(int32_t index) {
  index_ = index;
  const int16_t level = ReferenceLevelDbm(index);
  // The windows follow the choice even when the command then fails.
  if (context_.histogram != nullptr) context_.histogram->SetReferenceLevel(level);
  if (context_.spectrogram != nullptr) {
    context_.spectrogram->SetRange(level, static_cast<int16_t>(level - kSpectrogramDepthDb));
  }
  if (context_.ops != nullptr) context_.ops->SetReferenceLevel(index);
}

}  // namespace qv
