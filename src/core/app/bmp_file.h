#pragma once

#include <cstdint>
#include <vector>

namespace qv {

// A 24-bit Windows bitmap file, written whole: the 14-byte file header, a 40-byte
// BITMAPINFOHEADER with no colour table, then the rows bottom first, each padded to 4 bytes.
// `pixels` holds width × height values 0xRRGGBB, top row first.
std::vector<uint8_t> EncodeBmp24(const uint32_t* pixels, int32_t width, int32_t height);

// Bytes of one padded 24-bit row.
inline uint32_t BmpRowBytes(int32_t width) {
  return ((static_cast<uint32_t>(width) * 24 + 31) / 32) * 4;
}

}  // namespace qv
