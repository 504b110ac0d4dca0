#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/link/sweep_message.h"
#include "gui/app/form_view.h"
#include "gui/app/printing.h"
#include "gui/app/snapshot.h"
#include "gui/link/connection_sheet.h"
#include "gui/ui/tab_dialog.h"
#include "support/recording_alerts.h"
#include "support/scripted_chooser.h"

namespace qv {
namespace {

// Each text of a PDF's pages as drawn in a font of `size`: characters' advance over the font's
// height, from the text matrices (Tm) and the transforms before them (cm), sizes (Tf) and the glyph steps (Td) of the page streams.
std::vector<double> PdfTextProportions(const QByteArray& pdf, int size) {
  std::vector<double> found;
  static const QRegularExpression stream(QStringLiteral("stream\\r?\\n"));
  static const QRegularExpression text(QStringLiteral(
      "([-0-9.]+) 0 0 ([-0-9.]+) [-0-9.]+ [-0-9.]+ cm\\n(?:(?!cm\\n)[^B])*BT\\n/F[0-9]+ ([0-9.]+) Tf ([-0-9.]+) 0 0 "
      "([-0-9.]+) 0 0 Tm\\n[-0-9.]+ [-0-9.]+ Td <[0-9A-Fa-f]+> Tj\\n([-0-9.]+) 0 Td"));
  const QString latin = QString::fromLatin1(pdf);
  for (auto it = stream.globalMatch(latin); it.hasNext();) {
    const auto at = it.next();
    const qsizetype end = pdf.indexOf("endstream", at.capturedEnd());
    if (end < 0) break;
    QByteArray zipped = pdf.mid(at.capturedEnd(), end - at.capturedEnd());
    // qUncompress wants the size first; it grows the buffer where the guess is short.
    zipped.prepend(QByteArray("\x00\x10\x00\x00", 4));
    const QString content = QString::fromLatin1(qUncompress(zipped));
    for (auto t = text.globalMatch(content); t.hasNext();) {
      const auto m = t.next();
      const auto number = [&](int k) { return m.captured(k).toDouble(); };
      const double em = std::abs(number(3) * number(5) * number(2));
      if (number(3) == size && em > 0) found.push_back(number(6) * number(4) * number(1) / em);
    }
  }
  return found;
}

TEST(SnapshotTest, EveryFormatAndAClearFailure) {
  QImage image(100, 51, QImage::Format_RGB32);
  image.fill(qRgb(10, 200, 30));
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

// A view wider than tall, streaming a flat -60 dBm sweep.
class PrintViewTest : public ::testing::Test {
 protected:
  PrintViewTest() {
    view_.resize(800, 600);
    view_.show();
    view_.SetFileChooser(&chooser_);
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
  ScriptedChooser chooser_;
  CQuorvalinFormView view_{clock_, alerts_};
  QTemporaryDir dir_;
};

// The snapshot is the graph as drawn: a window over it, the side-panel tabs in it and the
// pointer's read-out are not in it; the chosen type names the file and its format.
TEST_F(PrintViewTest, SnapshotHoldsTheGraphAloneInTheChosenType) {
  CDisplay& display = view_.Display();
  view_.Connection().State().connected = 1;
  QApplication::processEvents();
  ASSERT_FALSE(display.findChildren<CTabDialog*>().isEmpty());
  QWidget over;  // a window of its own, as the time markers' is
  over.setPalette(QPalette(QColor(255, 0, 255)));
  over.setAutoFillBackground(true);
  over.setGeometry(QRect(display.mapToGlobal(QPoint(100, 100)), QSize(300, 200)));
  over.show();
  const GraphGeometry g = display.Geometry();
  const QPoint inside(g.GridX(5), g.GridY(5));
  QMouseEvent move(QEvent::MouseMove, inside, display.mapToGlobal(inside), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&display, &move);
  ASSERT_TRUE(display.State().mouse_inside);
  QImage with_pointer;
  ASSERT_TRUE(display.PaintPicture(with_pointer));

  chooser_.save = dir_.filePath(QStringLiteral("shot")).toStdString();
  chooser_.save_filter = "PNG File (*.png)";
  view_.OnCommand(kCmdSnapshot);
  const QImage shot = QImage(dir_.filePath(QStringLiteral("shot.png")))
                          .convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), display.size());
  display.State().mouse_inside = false;
  QImage without_pointer;
  ASSERT_TRUE(display.PaintPicture(without_pointer));
  EXPECT_NE(shot, with_pointer.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(shot, without_pointer.convertToFormat(QImage::Format_RGB32));

  chooser_.save = dir_.filePath(QStringLiteral("typed")).toStdString();
  chooser_.save_filter = "JPEG File (*.jpg)";
  view_.OnCommand(kCmdSnapshot);
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("typed.bmp"))));
  QImageReader jpeg(dir_.filePath(QStringLiteral("typed.jpg")));
  EXPECT_EQ(jpeg.format(), "jpeg");
  EXPECT_EQ(jpeg.size(), display.size());
  EXPECT_TRUE(alerts_.shown.empty());
}

int Count(const QImage& image, const QRect& area, bool (*which)(QRgb)) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += which(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}

// Black and white until the user chooses; on the page the view keeps its shape, in each
// scheme; the screen colours afterwards; a PDF of one landscape page of lines and text.
TEST_F(PrintViewTest, PagesKeepTheShapeAndTheSchemesAndAPdfHoldsText) {
  CDisplay& display = view_.Display();
  EXPECT_EQ(display.PrintColourOption(), 3);
  view_.SetDialogRunner([](QDialog& dialog) {
    auto* options = qobject_cast<CPrintOptionDialog*>(&dialog);
    if (options == nullptr) return false;
    EXPECT_TRUE(options->Button(3)->isChecked());
    EXPECT_GT(options->minimumWidth(),
              QFontMetrics(options->font()).horizontalAdvance(options->windowTitle()) + 100);
    options->Button(2)->click();
    return true;
  });
  view_.OnCommand(kCmdPrintColourOptions);
  EXPECT_EQ(display.PrintColourOption(), 2);

  // A 2000 x 1200 printable area: the 800 x 600 view doubles and is centred across.
  const auto page = [&](int option) {
    display.SetPrintColourOption(option);
    display.SetPrinting(true);
    QImage sheet(2000, 1200, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    PaintGraphPage(painter, sheet.rect(), display.Scene());
    return sheet;
  };
  const QRect placed(200, 0, 1600, 1200);
  const auto coloured = [](QRgb p) {
    return qAlpha(p) != 0 && (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p));
  };
  const auto black = [](QRgb p) { return p == qRgb(0, 0, 0); };
  const QImage true_colour = page(1);
  EXPECT_EQ(Count(true_colour, QRect(0, 0, 200, 1200), [](QRgb p) { return qAlpha(p) != 0; }), 0);
  EXPECT_EQ(Count(true_colour, QRect(1800, 0, 200, 1200), [](QRgb p) { return qAlpha(p) != 0; }), 0);
  EXPECT_EQ(true_colour.pixel(placed.topLeft()), qRgb(0, 0, 0));
  EXPECT_EQ(true_colour.pixel(placed.bottomRight()), qRgb(0, 0, 0));
  const QImage econo = page(2);
  EXPECT_EQ(econo.pixel(placed.bottomRight()), qRgb(255, 255, 255));
  EXPECT_GT(Count(econo, placed, coloured), 0);
  const QImage bw = page(3);
  EXPECT_EQ(Count(bw, placed, coloured), 0);
  // A grid line is two sheet pixels of solid black across the plot, the flat trace likewise.
  const GraphGeometry g = display.Geometry();
  const QRect grid_row(200 + 2 * g.GridX(0), 2 * g.GridY(7), 2 * g.Width(), 2);
  EXPECT_EQ(Count(bw, grid_row, black), grid_row.width() * 2);
  const int trace_y = display.Trace().live_y[500];
  EXPECT_TRUE(black(bw.pixel(200 + 2 * g.X(500), 2 * trace_y)));
  // Recorded for a preview and shown shrunk to fit: every grid line stays.
  QPicture recorded;
  {
    QPainter painter(&recorded);
    PaintGraphPage(painter, QRect(0, 0, 800, 600), display.Scene());
  }
  QImage small(400, 300, QImage::Format_ARGB32);
  small.fill(Qt::white);
  {
    QPainter painter(&small);
    painter.scale(0.5, 0.5);
    painter.drawPicture(0, 0, recorded);
  }
  for (int j = 0; j <= 10; ++j) {
    int rows_with_rule = 0;
    for (int y = g.GridY(j) / 2 - 1; y <= g.GridY(j) / 2 + 1; ++y) {
      const QRect row(g.GridX(0) / 2 + 2, y, g.Width() / 2 - 4, 1);
      rows_with_rule += Count(small, row, black) == row.width() ? 1 : 0;
    }
    EXPECT_GE(rows_with_rule, 1) << "grid line " << j;
  }
  display.EndPrinting();
  EXPECT_FALSE(display.State().printing);
  QImage screen;
  ASSERT_TRUE(display.PaintPicture(screen));
  EXPECT_EQ(screen.pixel(screen.width() - 1, screen.height() - 1), qRgb(0, 0, 0));

  const QString pdf = dir_.filePath(QStringLiteral("graph.pdf"));
  ASSERT_TRUE(view_.Outputs().PrintToPdf(pdf));
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_TRUE(bytes.contains("/Count 1"));
  const QRegularExpressionMatch box =
      QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
          .match(QString::fromLatin1(bytes));
  ASSERT_TRUE(box.hasMatch());
  EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble());  // landscape
  EXPECT_TRUE(bytes.contains("/FontFile")) << "no embedded font: the text is not text";
  EXPECT_FALSE(bytes.contains("/Subtype /Image")) << "a bitmap on the page";
  // The text keeps the screen's proportions: of the fonts 15 pixels high the amplitude labels'
  // is 8 pixels a character, the box texts' 7 and the legend's at this size 6, on paper as on
  // screen.
  const std::vector<double> proportions = PdfTextProportions(bytes, 15);
  EXPECT_GE(proportions.size(), 11u);
  for (const double p : proportions) {
    EXPECT_TRUE(std::abs(p - 8.0 / 15) < 0.01 || std::abs(p - 7.0 / 15) < 0.01 ||
                std::abs(p - 6.0 / 15) < 0.01)
        << p;
  }
  EXPECT_FALSE(display.State().printing);
}

}  // namespace
}  // namespace qv
