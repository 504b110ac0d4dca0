#include "gui/app/printing.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPrinter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/control/snapshot_print.h"
#include "gui/app/snapshot.h"

namespace qv {
namespace {

// Passes everything painted on it on to a painter on the page, through a fixed transform and
// in the page's inks: in black and white every colour but white becomes black, as the one-bit
// picture of the scheme has it. The graph's painters set no clip, opacity or composition, so
// those are not passed on.
class InkEngine final : public QPaintEngine {
 public:
  InkEngine(QPainter& page, const QTransform& to_page, bool black_and_white)
      : QPaintEngine(AllFeatures), page_(page), to_page_(to_page), mono_(black_and_white) {
    page_.setWorldTransform(to_page_);
  }

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return User; }

  void updateState(const QPaintEngineState& state) override {
    const DirtyFlags dirty = state.state();
    if (dirty & DirtyTransform) page_.setWorldTransform(state.transform() * to_page_);
    if (dirty & DirtyPen) page_.setPen(Ink(state.pen()));
    if (dirty & DirtyBrush) page_.setBrush(Ink(state.brush()));
    if (dirty & DirtyBrushOrigin) page_.setBrushOrigin(state.brushOrigin());
    if (dirty & DirtyFont) page_.setFont(state.font());
    if (dirty & DirtyBackground) page_.setBackground(Ink(state.backgroundBrush()));
    if (dirty & DirtyBackgroundMode) page_.setBackgroundMode(state.backgroundMode());
    if (dirty & DirtyHints) page_.setRenderHints(state.renderHints());
  }

  void drawRects(const QRectF* rects, int count) override {
    page_.drawRects(rects, count);
    // A rule one pixel thin (the grid) may come out thinner than a device pixel on a coarse
    // page or in a preview shrunk to fit: a hairline along it keeps it there.
    const QBrush& brush = page_.brush();
    if (brush.style() != Qt::SolidPattern) return;
    page_.save();
    page_.setPen(QPen(brush.color(), 0));
    for (int i = 0; i < count; ++i) {
      const QRectF& r = rects[i];
      if (r.height() <= 1) {
        page_.drawLine(QLineF(r.left(), r.center().y(), r.right(), r.center().y()));
      } else if (r.width() <= 1) {
        page_.drawLine(QLineF(r.center().x(), r.top(), r.center().x(), r.bottom()));
      }
    }
    page_.restore();
  }
  void drawLines(const QLineF* lines, int count) override { page_.drawLines(lines, count); }
  void drawEllipse(const QRectF& rect) override { page_.drawEllipse(rect); }
  void drawPath(const QPainterPath& path) override { page_.drawPath(path); }
  void drawPoints(const QPointF* points, int count) override { page_.drawPoints(points, count); }
  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (mode == PolylineMode) {
      page_.drawPolyline(points, count);
    } else {
      page_.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
  }
  // Text stays text: a PDF holds it as such. A PDF takes a font's stretch its own way (with
  // some fonts not at all), so the text goes in the unstretched font, scaled across to the width
  // the graph laid it out at: the page keeps the screen's proportions.
  void drawTextItem(const QPointF& at, const QTextItem& item) override {
    QFont natural = item.font();
    natural.setStretch(QFont::Unstretched);
    const qreal natural_width = QFontMetricsF(natural).horizontalAdvance(item.text());
    page_.save();
    page_.setFont(natural);
    page_.translate(at);
    if (natural_width > 0 && item.width() > 0) page_.scale(item.width() / natural_width, 1);
    page_.drawText(QPointF(0, 0), item.text());
    page_.restore();
  }
  void drawPixmap(const QRectF& to, const QPixmap& pixmap, const QRectF& from) override {
    page_.drawImage(to, Ink(pixmap.toImage()), from);
  }
  void drawImage(const QRectF& to, const QImage& image, const QRectF& from,
                 Qt::ImageConversionFlags) override {
    page_.drawImage(to, Ink(image), from);
  }
  void drawTiledPixmap(const QRectF& to, const QPixmap& pixmap, const QPointF& offset) override {
    page_.drawTiledPixmap(to, mono_ ? QPixmap::fromImage(Ink(pixmap.toImage())) : pixmap, offset);
  }

 private:
  QColor Ink(const QColor& colour) const {
    if (!mono_ || colour.alpha() == 0) return colour;
    QColor ink = (colour.rgb() & 0xFFFFFFu) == 0xFFFFFFu ? QColor(Qt::white) : QColor(Qt::black);
    ink.setAlpha(colour.alpha());
    return ink;
  }
  QBrush Ink(QBrush brush) const {
    if (brush.style() != Qt::NoBrush && brush.gradient() == nullptr) brush.setColor(Ink(brush.color()));
    return brush;
  }
  QPen Ink(QPen pen) const {
    pen.setBrush(Ink(pen.brush()));
    return pen;
  }
  QImage Ink(const QImage& image) const {
    if (!mono_) return image;
    QImage inked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < inked.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(inked.scanLine(y));
      for (int x = 0; x < inked.width(); ++x) row[x] = Ink(QColor::fromRgba(row[x])).rgba();
    }
    return inked;
  }

  QPainter& page_;
  const QTransform to_page_;
  const bool mono_;
};

// A device of the view's size whose painting goes through an InkEngine.
class InkDevice final : public QPaintDevice {
 public:
  InkDevice(const QSize& size, InkEngine& engine) : size_(size), engine_(engine) {}
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    constexpr int kDpi = 96;  // the graph's sizes are pixels; this only names a millimetre
    switch (metric) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmWidthMM:
        return size_.width() * 254 / (10 * kDpi);
      case PdmHeightMM:
        return size_.height() * 254 / (10 * kDpi);
      case PdmNumColors:
        return INT_MAX;
      case PdmDepth:
        return 32;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return kDpi;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return QPaintDevice::metric(metric);
    }
  }

 private:
  QSize size_;
  InkEngine& engine_;
};

}  // namespace

void TurnPageFor(QPrinter& printer, const QSize& view) {
  const PagePlacement placement = PlaceOnPage(view.width(), view.height(), 1, 1);
  printer.setPageOrientation(placement.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void PaintGraphPage(QPainter& painter, const QRect& printable, const GraphScene& scene) {
  const QSize view = scene.window.size();
  const PagePlacement placement =
      PlaceOnPage(view.width(), view.height(), printable.width(), printable.height());
  if (placement.scale <= 0) return;
  const StillScene still(scene);
  QTransform to_page;
  to_page.translate(printable.left() + placement.left, printable.top() + placement.top);
  to_page.scale(placement.scale, placement.scale);
  painter.save();
  // Nothing of the graph reaches beyond the view's rectangle, as on screen.
  painter.setWorldTransform(to_page);
  painter.setClipRect(QRect(QPoint(0, 0), view));
  {
    InkEngine engine(painter, to_page, still.scene.state.print_colour_option == 3);
    InkDevice device(view, engine);
    QPainter graph(&device);
    PaintGraphOn(graph, still.scene);
    PaintMarkerGlyphs(graph, still.scene);
  }
  painter.restore();
}

bool PrintGraph(QPrinter& printer, const GraphScene& scene) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter's origin is the printable area's top-left corner.
  const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintGraphPage(painter, QRect(QPoint(0, 0), printable.size()), scene);
  return painter.end();
}

CPrintOptionDialog::CPrintOptionDialog(int option, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Printing Color Options"));
  // Wide enough for the whole title beside the window's own buttons.
  setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 160);
  auto* layout = new QVBoxLayout(this);
  const char* const texts[3] = {"    True Color Print", "   Econo Color Print",
                                "    Black and White Print"};
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
    buttons_[i]->setChecked(option == i + 1);
    group->addButton(buttons_[i]);
    layout->addWidget(buttons_[i]);
  }
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, [this] {
    if (Option() != 0) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
}

int CPrintOptionDialog::Option() const {
  for (int i = 0; i < 3; ++i) {
    if (buttons_[i]->isChecked()) return i + 1;
  }
  return 0;
}

QRadioButton* CPrintOptionDialog::Button(int option) const {
  return option >= 1 && option <= 3 ? buttons_[option - 1] : nullptr;
}

}  // namespace qv
