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

GraphRect PlaceClear(const GraphRect& box, const GraphRect& bounds,
                     const std::vector<GraphRect>& taken) {
  const int32_t width = box.right - box.left;
  const int32_t height = box.bottom - box.top;
  const int32_t left = std::max(bounds.left, std::min(box.left, bounds.right - width));
  const int32_t right = left + width;
  const int32_t lowest = std::max(bounds.top, bounds.bottom - height);
  const int32_t wanted = std::clamp(box.top, bounds.top, lowest);

  // Where `wanted` is taken, the nearest free place is against the bounds or beside something
  // in the box's columns.
  std::vector<int32_t> tops{wanted, bounds.top, lowest};
  for (const GraphRect& t : taken) {
    if (Apart(left, right, t.left, t.right)) continue;
    tops.push_back(t.bottom + kGap);
    tops.push_back(t.top - kGap - height);
  }
  const auto free = [&](int32_t top) {
    if (top < bounds.top || top > lowest) return false;
    return std::all_of(taken.begin(), taken.end(), [&](const GraphRect& t) {
      return Apart(left, right, t.left, t.right) ||
             Apart(top - kGap, top + height + kGap, t.top, t.bottom);
    });
  };
  GraphRect placed{left, wanted, right, wanted + height};
  int32_t best = -1;
  for (const int32_t top : tops) {
    if (!free(top)) continue;
    const int32_t distance = std::abs(top - wanted);
    if (best < 0 || distance < best) {
      best = distance;
      placed.top = top;
      placed.bottom = top + height;
    }
  }
  return placed;
}

void LayOutMarkerTexts(std::vector<MarkerTextBox>& boxes, const GraphRect& bounds,
                       const GraphRect& glyph, const std::vector<GraphRect>& before) {
  // What a box keeps clear of: the texts before, every glyph, then the boxes as they are placed.
  std::vector<GraphRect> taken = before;
  taken.reserve(before.size() + 2 * boxes.size());
  for (const MarkerTextBox& box : boxes) {
    taken.push_back({box.x + glyph.left, box.y + glyph.top, box.x + glyph.right,
                     box.y + glyph.bottom});
  }
  for (MarkerTextBox& box : boxes) {
    const int32_t left = box.x - box.width / 2;
    int32_t wanted = box.y + glyph.top - kGap - box.height;
    if (wanted < bounds.top) wanted = box.y + glyph.bottom + kGap;
    const GraphRect placed =
        PlaceClear(GraphRect{left, wanted, left + box.width, wanted + box.height}, bounds, taken);
    box.left = placed.left;
    box.top = placed.top;
    taken.push_back(placed);
  }
}

}  // namespace qv
