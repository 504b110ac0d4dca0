#include "gui/app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <iterator>

namespace qv {
namespace {

const QColor kInk(40, 48, 64);
const QColor kBlue(40, 100, 200);
const QColor kGreen(30, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kRunning(255, 190, 60);  // backdrop of a button whose mode is on

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& fill) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPolygon(QPolygonF({a, b, c}));
}

// Two triangles pointing right (or left), as on a tape deck.
void DoubleArrow(QPainter& p, bool forward, const QColor& fill) {
  for (const double x0 : {3.0, 12.0}) {
    if (forward) {
      Triangle(p, {x0, 5}, {x0 + 9, 12}, {x0, 19}, fill);
    } else {
      Triangle(p, {x0 + 9, 5}, {x0, 12}, {x0 + 9, 19}, fill);
    }
  }
}

void Magnifier(QPainter& p, bool plus) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(QColor(220, 235, 255));
  p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(15, 15), QPointF(21, 21));
  p.setPen(QPen(kInk, 2));
  p.drawLine(QPointF(7, 10), QPointF(13, 10));
  if (plus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void SelectionFrame(QPainter& p, bool on) {
  if (on) p.fillRect(QRectF(1, 1, 22, 22), kRunning);
  p.setPen(QPen(kInk, 1.5, Qt::DashLine));
  p.setBrush(on ? QBrush(QColor(120, 170, 240, 160)) : QBrush(Qt::NoBrush));
  p.drawRect(QRectF(4, 5, 16, 14));
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(QPointF(14, 14), QPointF(20, 20));
}

void Trace(QPainter& p, const QRectF& area, const QColor& colour) {
  static constexpr double kLevels[] = {0.9, 0.8, 0.85, 0.5, 0.15, 0.45, 0.8, 0.7, 0.85, 0.9};
  QPolygonF line;
  const int n = static_cast<int>(std::size(kLevels));
  for (int i = 0; i < n; ++i) {
    line << QPointF(area.left() + area.width() * i / (n - 1),
                    area.top() + area.height() * kLevels[i]);
  }
  p.setPen(QPen(colour, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(line);
}

void Draw(QPainter& p, int index) {
  switch (index) {
    case 0: {  // establish connection: a mast sending waves
      p.setPen(QPen(kInk, 2));
      p.drawLine(QPointF(12, 10), QPointF(12, 21));
      p.drawLine(QPointF(8, 21), QPointF(16, 21));
      p.setPen(QPen(kBlue, 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(7, 5, 10, 10), 300 * 16, 120 * 16);
      p.drawArc(QRectF(7, 5, 10, 10), 120 * 16, 120 * 16);
      p.drawArc(QRectF(3, 1, 18, 18), 310 * 16, 100 * 16);
      p.drawArc(QRectF(3, 1, 18, 18), 130 * 16, 100 * 16);
      p.setBrush(kRed);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(12, 10), 2, 2);
      break;
    }
    case 1:  // snapshot: a camera
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(QColor(170, 180, 195));
      p.drawRoundedRect(QRectF(2, 7, 20, 13), 2, 2);
      p.drawRect(QRectF(8, 4, 7, 3));
      p.setBrush(QColor(60, 80, 120));
      p.drawEllipse(QPointF(12, 13.5), 4, 4);
      break;
    case 2:
      SelectionFrame(p, false);
      break;
    case 3:
      Magnifier(p, true);
      break;
    case 4:
      Magnifier(p, false);
      break;
    case 5:  // start logging: a record dot over a page
      p.setPen(QPen(kInk, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3, 2, 13, 18));
      Trace(p, QRectF(4, 5, 11, 8), kBlue);
      p.setPen(Qt::NoPen);
      p.setBrush(kRed);
      p.drawEllipse(QPointF(16, 16), 5.5, 5.5);
      break;
    case 6:  // replay
      Triangle(p, {6, 4}, {20, 12}, {6, 20}, kGreen);
      break;
    case 7:  // stop
      p.fillRect(QRectF(5, 5, 14, 14), kInk);
      break;
    case 8:
      DoubleArrow(p, true, kInk);
      break;
    case 9:
      DoubleArrow(p, false, kInk);
      break;
    case 10:  // print: a printer with a sheet
      p.setPen(QPen(kInk, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 2, 12, 8));
      p.setBrush(QColor(150, 160, 175));
      p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 15, 12, 7));
      break;
    case 11: {  // spectrogram: bands of colour
      const QColor colours[] = {QColor(20, 20, 120), QColor(30, 120, 220), QColor(60, 200, 120),
                                QColor(240, 220, 40), QColor(230, 60, 30)};
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 5; ++col) {
          p.fillRect(QRectF(2 + col * 4, 2 + row * 4, 4, 4), colours[(row + col * 2) % 5]);
        }
      }
      p.setPen(QPen(kInk, 1));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(2, 2, 20, 20));
      break;
    }
    case 12: {  // histogram: bars
      const double heights[] = {5, 11, 17, 13, 7};
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      for (int i = 0; i < 5; ++i) p.drawRect(QRectF(2 + i * 4, 21 - heights[i], 3, heights[i]));
      p.fillRect(QRectF(1, 21, 22, 1.5), kInk);
      break;
    }
    case 13:  // instant capture: a clock over a page
      p.setPen(QPen(kInk, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3, 2, 13, 18));
      Trace(p, QRectF(4, 5, 11, 8), kBlue);
      p.setBrush(QColor(255, 240, 180));
      p.setPen(QPen(kInk, 1.5));
      p.drawEllipse(QPointF(16, 16), 5.5, 5.5);
      p.drawLine(QPointF(16, 16), QPointF(16, 12.5));
      p.drawLine(QPointF(16, 16), QPointF(18.5, 17));
      break;
    case 14:
      SelectionFrame(p, true);
      break;
    case 15:  // pause
      p.fillRect(QRectF(6, 5, 4, 14), kInk);
      p.fillRect(QRectF(14, 5, 4, 14), kInk);
      break;
    case 16:
      p.fillRect(QRectF(1, 1, 22, 22), kRunning);
      DoubleArrow(p, true, kRed);
      break;
    case 17:
      p.fillRect(QRectF(1, 1, 22, 22), kRunning);
      DoubleArrow(p, false, kRed);
      break;
    default:
      break;
  }
}

}  // namespace

QImage ToolbarImage(int image_index) {
  QImage image(kToolbarImageSize, kToolbarImageSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, image_index);
  return image;
}

QIcon ToolbarIcon(int image_index) {
  return QIcon(QPixmap::fromImage(ToolbarImage(image_index)));
}

QIcon ApplicationIcon() {
  // The installed icon, so the window looks like its entry in the desktop menu; the drawn one
  // when running from the build folder.
  const QIcon installed = QIcon::fromTheme(QStringLiteral("quorvalin"));
  if (!installed.isNull()) return installed;
  QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kInk, 2));
  p.setBrush(QColor(10, 30, 20));
  p.drawRoundedRect(QRectF(3, 6, 42, 34), 4, 4);
  Trace(p, QRectF(7, 12, 34, 24), QColor(80, 240, 120));
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace qv
