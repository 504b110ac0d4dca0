#include "gui/control/rbw_page.h"

#include "core/app/connection_ops.h"
#include "core/app/spectrum_settings.h"
#include "gui/ui/page_buttons.h"

namespace qv {

CRBWDialog::CRBWDialog(PageContext& context, QWidget* parent)
    : CButtonColumnPage(PageText(kResolutionTabCaption), context.timers, parent),
      context_(context) {
  for (const RbwButton& rbw : kRbwButtons) {
    const uint16_t code = rbw.code;
    AddChoice(PageText(rbw.caption), [this, code] { Choose(code); });
  }
  InitPage();
}

void CRBWDialog::Choose(uint16_t code) {
  code_ = code;
  if (context_.ops == nullptr) return;
  SpectrumSettings& working = context_.ops->State().working;
  const SweepWindow current = context_.ops->CurrentSweep();
  working.start = current.start;
  working.span = current.span;
  working.sweep_word = 1;
  working.rbw_code = code;
  // A failed send has no message of its own here; the dispatcher reports it.
  context_.ops->SendSpectrumSettings(working);
}

}  // namespace qv
