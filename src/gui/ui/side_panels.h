#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/app/timer.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "gui/ui/page_context.h"

class QWidget;

namespace qv {

class CTabDialog;
class CMarkers;
class CTriggerDialog;

// The graph's side panels in their two stacks, each listed from the bottom of its edge up.
class CSidePanels {
 public:
  CSidePanels(TraceData& trace, DisplayState& state, TimerFactory& timers, QWidget* graph);
  CSidePanels(const CSidePanels&) = delete;
  CSidePanels& operator=(const CSidePanels&) = delete;

  // Docks both stacks to `container` (the graph's rect); again after every resize. A stack
  // whose tabs are together longer than the edge gets smaller titles, and a page larger than
  // the graph scrolls.
  void Dock(const QRect& container);

  // A page of its own at the top of the left (0) or right (1) stack.
  void AddPage(CTabDialog* page, int side);

  // The channel preset pages of a band the Receiver reported, added to the left stack once per
  // band start however often the band list arrives.
  void AddPresetPages(uint32_t band_start);

  const std::vector<CTabDialog*>& RightStack() const { return right_; }
  const std::vector<CTabDialog*>& LeftStack() const { return left_; }
  CMarkers* Markers() const { return markers_; }
  CTriggerDialog* Trigger() const { return trigger_; }
  // The page with this tab title, or null.
  CTabDialog* Page(const QString& title) const;

  // Shared by every page; the graph and the view fill in what exists only later.
  PageContext& Context() { return context_; }

 private:
  void DockStack(const std::vector<CTabDialog*>& stack, int side);

  PageContext context_;
  QRect container_;
  std::vector<uint32_t> preset_bands_;
  std::vector<CTabDialog*> right_;
  std::vector<CTabDialog*> left_;
  CMarkers* markers_ = nullptr;
  CTriggerDialog* trigger_ = nullptr;
};

}  // namespace qv
