#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "core/app/manual_clock.h"
#include "gui/app/splash_screen.h"

namespace qv {
namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

// The region as a picture: white where the window shows, black where it is cut away.
QImage Rasterise(const QRegion& region, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setClipRegion(region);
  painter.fillRect(image.rect(), Qt::white);
  return image;
}

TEST(SplashTest, RegionKeepsEveryRunOfNonTransparentPixels) {
  QImage image(5, 2, QImage::Format_RGB32);
  const QRgb o = qRgb(10, 20, 30);
  const QRgb rows[2][5] = {{kMagenta, o, o, kMagenta, o}, {o, kMagenta, kMagenta, o, o}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) image.setPixel(x, y, rows[y][x]);
  }
  QRegion expected;
  expected += QRect(1, 0, 2, 1);
  expected += QRect(4, 0, 1, 1);
  expected += QRect(0, 1, 1, 1);
  expected += QRect(3, 1, 2, 1);
  EXPECT_EQ(OpaqueRegion(image, QColor(kMagenta)), expected);

  QImage all_key(3, 3, QImage::Format_RGB32);
  all_key.fill(kMagenta);
  EXPECT_TRUE(OpaqueRegion(all_key, QColor(kMagenta)).isEmpty());
}

TEST(SplashTest, DesktopPictureShowsNoMagentaPixel) {
  ManualClock clock;
  CSplashScreenEx splash(clock);
  const QImage picture = SplashPicture(false);
  splash.SetBitmap(picture, kSplashTransparent);
  EXPECT_EQ(splash.size(), picture.size());

  const QImage shown = Rasterise(splash.mask(), picture.size());
  int magenta = 0;
  int visible = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const bool is_key = (picture.pixel(x, y) & 0xFFFFFF) == (kMagenta & 0xFFFFFF);
      const bool is_shown = shown.pixel(x, y) == qRgb(255, 255, 255);
      magenta += is_key;
      visible += is_shown;
      ASSERT_NE(is_key, is_shown) << "pixel " << x << "," << y;
    }
  }
  EXPECT_GT(magenta, 0) << "the desktop picture has a surround to cut away";
  EXPECT_GT(visible, picture.width() * picture.height() / 2);
}

TEST(SplashTest, TabletPictureIsAPlainRectangle) {
  ManualClock clock;
  CSplashScreenEx splash(clock);
  splash.SetBitmap(SplashPicture(true));
  EXPECT_TRUE(splash.mask().isEmpty());
  EXPECT_EQ(splash.size(), QSize(400, 250));
}

TEST(SplashTest, ShownOnTopThenHiddenAndDeletedAfterTwoSeconds) {
  ManualClock clock;
  QPointer<CSplashScreenEx> splash = new CSplashScreenEx(clock);
  const Qt::WindowFlags flags = splash->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  // Offscreen windows cannot fade: the splash must still come and go.
  EXPECT_FALSE(CSplashScreenEx::FadingSupported());

  splash->SetBitmap(SplashPicture(false), kSplashTransparent);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(splash->geometry().center(), screen.center());

  splash->Show();
  EXPECT_TRUE(splash->isVisible());
  clock.Advance(1999);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_FALSE(splash.isNull());
  EXPECT_TRUE(splash->isVisible());

  clock.Advance(1);
  ASSERT_FALSE(splash.isNull());
  EXPECT_FALSE(splash->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(splash.isNull());
  clock.Advance(10000);  // nothing left to fire
}

}  // namespace
}  // namespace qv
