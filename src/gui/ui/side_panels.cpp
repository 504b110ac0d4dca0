#include "gui/ui/side_panels.h"

#include <algorithm>

#include "gui/control/frequency_page.h"
#include "gui/control/preset_pages.h"
#include "gui/control/rbw_page.h"
#include "gui/control/reference_level_page.h"
#include "gui/display/markers_page.h"
#include "gui/display/trace_pages.h"
#include "gui/trigger/trigger_page.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

CSidePanels::CSidePanels(TraceData& trace, DisplayState& state, TimerFactory& timers,
                         QWidget* graph)
    : context_{trace, state, timers, graph} {
  // Pages still to be built keep their place and caption so the stacks are already right.
  right_.push_back(new CFrqSettingsDialog(context_, graph));
  trigger_ = new CTriggerDialog(context_, graph);
  right_.push_back(trigger_);
  right_.push_back(new CRefLvlDialog(context_, graph));
  right_.push_back(new CRBWDialog(context_, graph));
  markers_ = new CMarkers(trace, state, timers, graph);
  right_.push_back(markers_);
  right_.push_back(new CPeakHoldTraceDialog(context_, graph));

  left_.push_back(new CTraceAdjustment(context_, graph));
  left_.push_back(new CScrAvgDialog(context_, graph));
  left_.push_back(new CVideoSmoothingDialog(context_, graph));
}

void CSidePanels::AddPage(CTabDialog* page, int side) {
  (side == kTabLeft ? left_ : right_).push_back(page);
  Dock(container_);
}

void CSidePanels::AddPresetPages(uint32_t band_start) {
  if (std::find(preset_bands_.begin(), preset_bands_.end(), band_start) != preset_bands_.end()) {
    return;
  }
  preset_bands_.push_back(band_start);
  for (CTabDialog* page : CreatePresetPages(band_start, context_)) {
    page->show();
    left_.push_back(page);
  }
  Dock(container_);
}

void CSidePanels::Dock(const QRect& container) {
  container_ = container;
  DockStack(right_, kTabRight);
  DockStack(left_, kTabLeft);
}

void CSidePanels::DockStack(const std::vector<CTabDialog*>& stack, int side) {
  // Every tab stays on the edge, closed pages' too, so a reopened page comes back to its place.
  std::vector<TabRun> tabs;
  for (const CTabDialog* page : stack) tabs.push_back(page->NaturalTab());
  const TabStackFit fit = FitTabStack(tabs, container_.height());
  int offset = 0;
  for (size_t i = 0; i < stack.size(); ++i) {
    stack[i]->FitTab(fit.title_scale, fit.lengths[i]);
    offset = stack[i]->Dock(side, container_, offset);
  }
}

CTabDialog* CSidePanels::Page(const QString& title) const {
  for (const auto* stack : {&right_, &left_}) {
    for (CTabDialog* page : *stack) {
      if (page->Title() == title) return page;
    }
  }
  return nullptr;
}

}  // namespace qv
