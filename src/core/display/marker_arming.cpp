#include "core/display/marker_arming.h"

namespace qv {
namespace {

MarkerRecord* Find(MarkerArray& markers, int32_t marker) {
  if (marker < 1 || marker > kMarkerCount) return nullptr;
  return &markers[static_cast<std::size_t>(marker - 1)];
}

}  // namespace

void ArmMarkerEnd(MarkerArray& markers, int32_t& current_marker, int32_t marker, MarkerEnd end) {
  MarkerRecord* chosen = Find(markers, marker);
  if (chosen == nullptr) return;
  current_marker = marker;
  for (MarkerRecord& record : markers) {
    record.a_enabled = 0;
    record.b_enabled = 0;
  }
  if (end == MarkerEnd::kA) {
    chosen->a_enabled = 1;
  } else {
    chosen->b_enabled = 1;
  }
}

void ToggleMarkerHidden(MarkerArray& markers, int32_t marker) {
  if (MarkerRecord* record = Find(markers, marker)) record->hidden = record->hidden ? 0 : 1;
}

void ClearMarker(MarkerArray& markers, int32_t marker) {
  if (MarkerRecord* record = Find(markers, marker)) {
    record->a_placed = 0;
    record->b_placed = 0;
  }
}

void ClearAllMarkers(MarkerArray& markers) {
  for (int32_t marker = 1; marker <= kMarkerCount; ++marker) ClearMarker(markers, marker);
}

void ToggleHideAll(MarkerArray& markers, uint8_t& hide_all) {
  hide_all = hide_all ? 0 : 1;
  for (MarkerRecord& record : markers) record.hidden = hide_all;
}

}  // namespace qv
