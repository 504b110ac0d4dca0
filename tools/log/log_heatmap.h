#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/record/log_scan.h"

namespace qv::logtool {

// Where the cells go in a picture of `width` × `height` pixels: one cell a pixel, with room
// left for the frequency labels above, the time labels left and the colour scale right.
struct HeatmapLayout {
  uint32_t left = 0;
  uint32_t top = 0;
  uint32_t columns = 0;
  uint32_t rows = 0;
};
HeatmapLayout HeatmapLayoutFor(uint32_t width, uint32_t height);

// The overview as a picture, composed one pixel row at a time so no whole image is held:
// time down, frequency across, the uniform colour map from the lowest to the highest cell.
class HeatmapPicture {
 public:
  HeatmapPicture(const LogOverview& overview, uint32_t width, uint32_t height);

  // Row `y` as width × 3 bytes of red, green, blue.
  void Row(uint32_t y, uint8_t* rgb) const;

 private:
  struct Label {
    uint32_t x;
    uint32_t y;
    std::string text;
  };
  void AddLabel(int64_t x, int64_t y, const std::string& text, bool centred);

  const LogOverview& overview_;
  uint32_t width_;
  uint32_t height_;
  HeatmapLayout layout_;
  uint32_t bar_left_ = 0;
  int16_t low_ = 0;
  int16_t high_ = 0;
  std::vector<Label> labels_;
};

// Writes a picture as an 8-bit RGB PNG, asking `picture` for each row. False with the reason in
// `error`.
bool WriteHeatmapPng(const std::string& path, const HeatmapPicture& picture, uint32_t width,
                     uint32_t height, std::string* error);

}  // namespace qv::logtool
