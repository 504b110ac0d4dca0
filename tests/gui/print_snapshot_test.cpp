#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/link/sweep_message.h"
#include "gui/app/form_view.h"
#include "gui/app/printing.h"
#include "gui/app/snapshot.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

TEST(SnapshotTest, VisiblePartOnlyInEveryFormatAndAClearFailure) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  QWidget view;
  view.setGeometry(screen->geometry().right() - 99, 100, 300, 51);  // 100 pixels on screen
  view.show();
  const QImage image = GrabScreenArea(view);
  ASSERT_EQ(image.size(), QSize(100, 51));

  QTemporaryDir dir;
  std::string error;
  const QString bmp = dir.filePath(QStringLiteral("shot.bmp"));
  ASSERT_TRUE(SaveSnapshotImage(image, bmp, &error)) << error;
  QFile file(bmp);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("BM"));
  EXPECT_EQ(bytes.size(), 54 + 300 * 51);  // rows of 100 pixels need no padding
  for (const char* name : {"shot.jpg", "shot.png"}) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    ASSERT_TRUE(SaveSnapshotImage(image, path, &error)) << error;
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray(name).endsWith("jpg") ? "jpeg" : "png");
    EXPECT_EQ(reader.read().size(), QSize(100, 51));
  }
  const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/shot.bmp"));
  EXPECT_FALSE(SaveSnapshotImage(image, unwritable, &error));
  EXPECT_NE(error.find(unwritable.toStdString()), std::string::npos);
}

// The screen's pixel size maps onto the printable area, each axis on its own.
TEST(PrintingTest, ScreenMapsOntoThePrintableArea) {
  QImage graph(1000, 500, QImage::Format_RGB32);
  graph.fill(Qt::black);
  for (int y = 490; y < 500; ++y) {
    for (int x = 990; x < 1000; ++x) graph.setPixel(x, y, qRgb(255, 0, 0));  // bottom-right corner
  }
  QImage page(500, 700, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter painter(&page);
    PaintPrintPage(painter, QRect(0, 0, 500, 700), QSize(1000, 500), graph);
  }
  EXPECT_EQ(page.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(page.pixel(499, 699), qRgb(255, 0, 0));
}

class PrintViewTest : public ::testing::Test {
 protected:
  PrintViewTest() {
    view_.resize(800, 600);
    view_.show();
    SweepHeader h;
    h.start = 48000;
    h.points = 1000;
    h.block_frequency = 48000;
    h.reference_level = -20;
    const std::vector<int16_t> levels(1000, -60 * 16);
    const Bytes m = BuildSweepBlock(h, levels.data(), 1000);
    view_.Display().OnReceiverMessage(
        QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size())));
  }
  ManualClock clock_;
  RecordingAlerts alerts_;
  CQuorvalinFormView view_{clock_, alerts_};
};

QRgb Corner(const QImage& image) {
  return image.pixel(image.width() - 1, image.height() - 1);
}

// Black and white until the user chooses; each scheme's picture; the screen colours afterwards;
// a PDF of one page.
TEST_F(PrintViewTest, ColourSchemesOptionsAndAOnePagePdf) {
  CDisplay& display = view_.Display();
  EXPECT_EQ(display.PrintColourOption(), 3);
  view_.SetDialogRunner([](QDialog& dialog) {
    auto* options = qobject_cast<CPrintOptionDialog*>(&dialog);
    if (options == nullptr) return false;
    EXPECT_TRUE(options->Button(3)->isChecked());
    options->Button(2)->click();
    return true;
  });
  view_.OnCommand(kCmdPrintColourOptions);
  EXPECT_EQ(display.PrintColourOption(), 2);

  const auto count = [](const QImage& image, auto&& which) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) n += which(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
  };
  const auto coloured = [](QRgb p) { return qRed(p) != qGreen(p) || qGreen(p) != qBlue(p); };
  display.SetPrintColourOption(1);
  const QImage true_colour = display.PrintImage();
  EXPECT_EQ(Corner(true_colour), qRgb(0, 0, 0));
  display.SetPrintColourOption(2);
  const QImage econo = display.PrintImage();
  EXPECT_EQ(Corner(econo), qRgb(255, 255, 255));
  EXPECT_GT(count(econo, coloured), 0);
  display.SetPrintColourOption(3);
  const QImage bw = display.PrintImage();
  EXPECT_EQ(bw.format(), QImage::Format_Mono);
  EXPECT_EQ(Corner(bw), qRgb(255, 255, 255));
  EXPECT_GT(count(bw, [](QRgb p) { return p == qRgb(0, 0, 0); }), 0);
  EXPECT_TRUE(display.State().printing);
  display.EndPrinting();
  EXPECT_FALSE(display.State().printing);
  QImage screen;
  ASSERT_TRUE(display.PaintPicture(screen));
  EXPECT_EQ(Corner(screen), qRgb(0, 0, 0));

  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
  ASSERT_TRUE(view_.PrintToPdf(pdf));
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_TRUE(bytes.contains("/Count 1"));
  EXPECT_FALSE(display.State().printing);
}

}  // namespace
}  // namespace qv
