#pragma once

#include <QPushButton>
#include <QString>
#include <cstdint>

#include "core/display/display_state.h"
#include "core/display/marker_arming.h"
#include "core/display/trace_data.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

// The "Markers" side panel: chooses which marker end the next click on the plot sets, and
// hides or clears the markers.
class CMarkers : public CTabDialog {
  Q_OBJECT

 public:
  CMarkers(TraceData& trace, DisplayState& state, TimerFactory& timers, QWidget* parent = nullptr);

  // The button with this caption, or null.
  QPushButton* Button(const QString& caption) const;
  uint8_t HideAll() const { return hide_all_; }

 signals:
  // A marker's flags changed; the graph repaints.
  void MarkersChanged();

 private:
  QPushButton* AddButton(const QString& caption, int row, int column, void (CMarkers::*action)(int),
                         int marker);
  void ArmA(int marker);
  void ArmB(int marker);
  void Hide(int marker);
  void Clear(int marker);
  void ClearAll(int);
  void HideAllToggle(int);

  TraceData& trace_;
  DisplayState& state_;
  uint8_t hide_all_ = 0;
};

}  // namespace qv
