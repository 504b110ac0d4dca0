#include "core/app/bmp_file.h"

#include <algorithm>

namespace qv {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const uint32_t* pixels, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const uint32_t row_bytes = BmpRowBytes(width);
  const uint32_t image_size = row_bytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  out.reserve(54 + image_size);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + image_size);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, image_size);
  Put32(out, 0);  // pixels per metre, x and y: not given
  Put32(out, 0);
  Put32(out, 0);  // colours used and important: no colour table
  Put32(out, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));        // blue
      out.push_back(static_cast<uint8_t>(row[x] >> 8));   // green
      out.push_back(static_cast<uint8_t>(row[x] >> 16));  // red
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < row_bytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace qv
