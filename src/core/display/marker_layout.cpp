#include "core/display/marker_layout.h"

#include <algorithm>
#include <cstdlib>

namespace qv {
namespace {

// Clear pixels between a box and its glyph or a neighbouring box.
constexpr int32_t kGap = 2;

bool Overlap(int32_t a_low, int32_t a_size, int32_t b_low, int32_t b_size) {
  return a_low < b_low + b_size && b_low < a_low + a_size;
}

}  // namespace

void LayOutMarkerTexts(std::vector<MarkerTextBox>& boxes, const GraphRect& bounds,
                       int32_t glyph_height) {
  for (size_t k = 0; k < boxes.size(); ++k) {
    MarkerTextBox& box = boxes[k];
    box.left = std::max(bounds.left, std::min(box.x - box.width / 2, bounds.right - box.width));
    const int32_t lowest = std::max(bounds.top, bounds.bottom - box.height);
    int32_t wanted = box.y - glyph_height - kGap - box.height;
    if (wanted < bounds.top) wanted = box.y + kGap;
    wanted = std::clamp(wanted, bounds.top, lowest);

    // Beside each placed box it meets, or against the bounds: the nearest free place is one of
    // these where `wanted` itself is taken.
    std::vector<int32_t> tops{wanted, bounds.top, lowest};
    for (size_t p = 0; p < k; ++p) {
      const MarkerTextBox& placed = boxes[p];
      if (!Overlap(box.left, box.width, placed.left, placed.width)) continue;
      tops.push_back(placed.top + placed.height + kGap);
      tops.push_back(placed.top - kGap - box.height);
    }
    const auto free = [&](int32_t top) {
      if (top < bounds.top || top > lowest) return false;
      for (size_t p = 0; p < k; ++p) {
        const MarkerTextBox& placed = boxes[p];
        if (Overlap(box.left, box.width, placed.left, placed.width) &&
            Overlap(top, box.height + kGap, placed.top, placed.height + kGap)) {
          return false;
        }
      }
      return true;
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
  }
}

}  // namespace qv
