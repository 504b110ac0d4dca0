#include "gui/control/reference_level_page.h"

#include "core/app/connection_ops.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

constexpr int16_t kSpectrogramDepthDb = 100;  // the waterfall's colour scale spans 100 dB

}  // namespace

CRefLvlDialog::CRefLvlDialog(PageContext& context, QWidget* parent)
    : CButtonColumnPage(PageText(kReferenceLevelTabCaption), context.timers, parent),
      context_(context) {
  for (int32_t index = kFirstReferenceIndex; index <= kLastReferenceIndex; ++index) {
    AddChoice(QString::fromStdString(WholeDbmText(ReferenceLevelDbm(index))),
              [this, index] { Choose(index); });
  }
  InitPage();
}

void CRefLvlDialog::Choose(int32_t index) {
  ShowLevel(index);
  if (context_.ops != nullptr) context_.ops->SetReferenceLevel(index);
}

void CRefLvlDialog::ShowLevel(int32_t index) {
  index_ = index;
  const int16_t level = ReferenceLevelDbm(index);
  // The windows follow the choice even when the command then fails.
  if (context_.histogram != nullptr) context_.histogram->SetReferenceLevel(level);
  if (context_.spectrogram != nullptr) {
    context_.spectrogram->SetRange(level, static_cast<int16_t>(level - kSpectrogramDepthDb));
  }
}

}  // namespace qv
