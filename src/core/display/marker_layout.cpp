#include "core/display/marker_layout.h"

#include <algorithm>
#include <cstdlib>

namespace qv {
namespace {

// Clear pixels between a box and a glyph or another box.
constexpr int32_t kGap = 2;

bool Apart(int32_t a_low, int32_t a_high, int32_t b_low, int32_t b_high) {
  return a_high <= b_low || b_high <= a_low;
}

}  // namespace

void LayOutMarkerTexts(std::vector<MarkerTextBox>& boxes, const GraphRect& bounds,
                       const GraphRect& glyph) {
  // What a box keeps clear of: every glyph, then the boxes as they are placed.
  std::vector<GraphRect> taken;
  taken.reserve(2 * boxes.size());
  for (const MarkerTextBox& box : boxes) {
    taken.push_back({box.x + glyph.left, box.y + glyph.top, box.x + glyph.right,
                     box.y + glyph.bottom});
  }
  for (MarkerTextBox& box : boxes) {
    box.left = std::max(bounds.left, std::min(box.x - box.width / 2, bounds.right - box.width));
    const int32_t right = box.left + box.width;
    const int32_t lowest = std::max(bounds.top, bounds.bottom - box.height);
    int32_t wanted = box.y + glyph.top - kGap - box.height;
    if (wanted < bounds.top) wanted = box.y + glyph.bottom + kGap;
    wanted = std::clamp(wanted, bounds.top, lowest);

    // Where `wanted` is taken, the nearest free place is against the bounds or beside something
    // in the box's columns.
    std::vector<int32_t> tops{wanted, bounds.top, lowest};
    for (const GraphRect& t : taken) {
      if (Apart(box.left, right, t.left, t.right)) continue;
      tops.push_back(t.bottom + kGap);
      tops.push_back(t.top - kGap - box.height);
    }
    const auto free = [&](int32_t top) {
      if (top < bounds.top || top > lowest) return false;
      return std::all_of(taken.begin(), taken.end(), [&](const GraphRect& t) {
        return Apart(box.left, right, t.left, t.right) ||
               Apart(top - kGap, top + box.height + kGap, t.top, t.bottom);
      });
    };
    box.top = wanted;
    int32_t best = -1;
    for (const int32_t top : tops) {
      if (!free(top)) continue;
      const int32_t distance = std::abs(top - wanted);
      if (best < 0 || distance < best) {
        best = distance;
        box.top = top;
      }
    }
    taken.push_back({box.left, box.top, right, box.top + box.height});
  }
}

}  // namespace qv
