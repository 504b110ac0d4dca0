#include "core/app/bmp_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// The file header, the info header and the padded rows, bottom row first, for odd widths.
TEST(BmpFileTest, HeadersAndPaddedRowsBottomFirst) {
  for (int32_t width : {1, 3, 799}) {
    SCOPED_TRACE(width);
    const int32_t height = 2;
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height), 0x112233);
    pixels[0] = 0xAABBCC;  // top-left
    const std::vector<uint8_t> file = EncodeBmp24(pixels.data(), width, height);
    const uint32_t row = ((width * 24 + 31) / 32) * 4;  // 4, 12, 2400
    ASSERT_EQ(file.size(), 54 + row * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), 54 + row * height);
    EXPECT_EQ(U32(file, 6), 0u);  // the two reserved words
    EXPECT_EQ(U32(file, 10), 54u);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), static_cast<uint32_t>(width));
    EXPECT_EQ(U32(file, 22), static_cast<uint32_t>(height));
    EXPECT_EQ(file[26] | (file[27] << 8), 1);   // planes
    EXPECT_EQ(file[28] | (file[29] << 8), 24);  // bits
    EXPECT_EQ(U32(file, 30), 0u);               // BI_RGB
    EXPECT_EQ(U32(file, 34), row * height);
    EXPECT_EQ(U32(file, 46), 0u);  // no colour table
    // The bottom row comes first: the top-left pixel opens the second row, blue green red.
    EXPECT_EQ(file[54], 0x33);
    EXPECT_EQ(file[54 + row], 0xCC);
    EXPECT_EQ(file[54 + row + 1], 0xBB);
    EXPECT_EQ(file[54 + row + 2], 0xAA);
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < row; ++pad) {
      EXPECT_EQ(file[54 + pad], 0) << "padding byte " << pad;
    }
  }
}

}  // namespace
}  // namespace qv
