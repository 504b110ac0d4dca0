#include "gui/display/markers_page.h"

#include <QGridLayout>
#include <QLabel>

#include "gui/ui/page_buttons.h"

namespace qv {

CMarkers::CMarkers(TraceData& trace, DisplayState& state, TimerFactory& timers, QWidget* parent)
    : CTabDialog(QStringLiteral("Markers"), timers, parent), trace_(trace), state_(state) {
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setSpacing(3);
  for (int marker = 1; marker <= kMarkerCount; ++marker) {
    const int row = marker - 1;
    grid->addWidget(new QLabel(QString::number(marker), Body()), row, 0);
    AddButton(QStringLiteral("%1 A").arg(marker), row, 1, &CMarkers::ArmA, marker);
    AddButton(QStringLiteral("%1 B").arg(marker), row, 2, &CMarkers::ArmB, marker);
    AddButton(QStringLiteral("Hide %1").arg(marker), row, 3, &CMarkers::Hide, marker);
    AddButton(QStringLiteral("Clear %1").arg(marker), row, 4, &CMarkers::Clear, marker);
  }
  AddButton(QStringLiteral("Clear All"), kMarkerCount, 3, &CMarkers::ClearAll, 0);
  AddButton(QStringLiteral("Hide All"), kMarkerCount, 4, &CMarkers::HideAllToggle, 0);
  InitPage();
}

QPushButton* CMarkers::AddButton(const QString& caption, int row, int column,
                                 void (CMarkers::*action)(int), int marker) {
  QPushButton* button = NewPageButton(caption, Body());
  static_cast<QGridLayout*>(Body()->layout())->addWidget(button, row, column);
  connect(button, &QPushButton::clicked, this, [this, action, marker] {
    (this->*action)(marker);
    emit MarkersChanged();
  });
  return button;
}

QPushButton* CMarkers::Button(const QString& caption) const {
  return FindButton(Body(), caption);
}

void CMarkers::ArmA(int marker) {
  ArmMarkerEnd(trace_.markers, state_.current_marker, marker, MarkerEnd::kA);
}

void CMarkers::ArmB(int marker) {
  ArmMarkerEnd(trace_.markers, state_.current_marker, marker, MarkerEnd::kB);
}

void CMarkers::Hide(int marker) {
  ToggleMarkerHidden(trace_.markers, marker);
}

void CMarkers::Clear(int marker) {
  ClearMarker(trace_.markers, marker);
}

void CMarkers::ClearAll(int) {
  ClearAllMarkers(trace_.markers);
}

void CMarkers::HideAllToggle(int) {
  ToggleHideAll(trace_.markers, hide_all_);
}

}  // namespace qv
