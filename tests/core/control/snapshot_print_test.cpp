#include "core/control/snapshot_print.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// The chosen type decides the extension, so the format read from the name is the type chosen.
TEST(SnapshotPath, TheChosenTypeDecidesNameAndFormat) {
  const std::string bmp = "Bitmap File (*.bmp)";
  const std::string jpeg = "JPEG File (*.jpg)";
  const std::string png = "PNG File (*.png)";
  struct Case {
    std::string typed, filter, path;
    PictureFormat format;
  };
  const Case cases[] = {
      {"/tmp/shot", jpeg, "/tmp/shot.jpg", PictureFormat::kJpeg},
      {"/tmp/shot.JPEG", jpeg, "/tmp/shot.JPEG", PictureFormat::kJpeg},
      {"/tmp/ZN Snapshot.bmp", jpeg, "/tmp/ZN Snapshot.jpg", PictureFormat::kJpeg},
      {"/tmp/shot.jpg", png, "/tmp/shot.png", PictureFormat::kPng},
      {"/tmp/site.v2", png, "/tmp/site.v2.png", PictureFormat::kPng},
      {"/tmp/dir.d/shot", bmp, "/tmp/dir.d/shot.bmp", PictureFormat::kBmp},
      {"/tmp/shot.", bmp, "/tmp/shot..bmp", PictureFormat::kBmp},
      // The dialog did not say which type: a picture name is kept, anything else is a BMP.
      {"/tmp/shot.Png", "", "/tmp/shot.Png", PictureFormat::kPng},
      {"/tmp/shot", "", "/tmp/shot.bmp", PictureFormat::kBmp},
      {"/tmp/shot.txt", "Text (*.txt)", "/tmp/shot.txt.bmp", PictureFormat::kBmp},
  };
  for (const Case& c : cases) {
    const std::string path = SnapshotPath(c.typed, c.filter);
    EXPECT_EQ(path, c.path) << c.typed << " as " << c.filter;
    EXPECT_EQ(PictureFormatOf(path), c.format) << path;
  }
  EXPECT_EQ(std::string(kSnapshotFilter), bmp + ";;" + jpeg + ";;" + png);
}

// Aspect kept, page turned for a wide view, the slack shared on both sides.
TEST(PlaceOnPage, KeepsTheAspectRatioAndTurnsTheSheetForAWideView) {
  // A 1000 x 500 view asks for landscape; on the upright A4 area (points) the width limits it,
  // on the turned one the height does.
  PagePlacement p = PlaceOnPage(1000, 500, 595, 842);
  EXPECT_TRUE(p.landscape);
  EXPECT_DOUBLE_EQ(p.scale, 0.595);
  EXPECT_DOUBLE_EQ(p.left, 0);
  EXPECT_DOUBLE_EQ(p.top, (842 - 297.5) / 2);
  p = PlaceOnPage(1000, 500, 842, 595);
  EXPECT_TRUE(p.landscape);
  EXPECT_DOUBLE_EQ(p.scale, 0.842);
  EXPECT_DOUBLE_EQ(p.top, (595 - 421) / 2.0);
  // Taller than the page's proportions: the height limits, the width is centred.
  p = PlaceOnPage(400, 600, 842, 595);
  EXPECT_FALSE(p.landscape);
  EXPECT_DOUBLE_EQ(p.scale, 595 / 600.0);
  EXPECT_DOUBLE_EQ(p.left, (842 - 400 * (595 / 600.0)) / 2);
  EXPECT_DOUBLE_EQ(p.top, 0);
  EXPECT_FALSE(PlaceOnPage(500, 500, 100, 100).landscape);  // square stays upright
  // Nothing to place or nowhere to place it: no scale rather than a division by zero.
  EXPECT_EQ(PlaceOnPage(0, 500, 595, 842).scale, 0);
  EXPECT_EQ(PlaceOnPage(1000, 500, 0, 842).scale, 0);
}

}  // namespace
}  // namespace qv
