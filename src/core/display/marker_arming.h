#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/display/marker_record.h"

namespace qv {

using MarkerArray = std::array<MarkerRecord, kMarkerCount>;

enum class MarkerEnd { kA, kB };

// Makes `marker` (1 ... 3) the current one and arms exactly its `end`: every other end of every
// marker is disarmed, so the next click on the plot sets only that one. Other numbers change
// nothing.
void ArmMarkerEnd(MarkerArray& markers, int32_t& current_marker, int32_t marker, MarkerEnd end);

// Flips one marker's hidden flag.
void ToggleMarkerHidden(MarkerArray& markers, int32_t marker);

// Forgets where a marker's ends are; armed ends and the hidden flag stay.
void ClearMarker(MarkerArray& markers, int32_t marker);
void ClearAllMarkers(MarkerArray& markers);

// Inverts the page's hide-all toggle and gives every marker that hidden state, whatever the
// single toggles did before.
void ToggleHideAll(MarkerArray& markers, uint8_t& hide_all);

}  // namespace qv
