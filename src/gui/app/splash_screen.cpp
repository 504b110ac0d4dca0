#include "gui/app/splash_screen.h"

#include <QGuiApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>

namespace qv {

QRegion OpaqueRegion(const QImage& image, const QColor& transparent) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const QRgb key = transparent.rgb() & 0x00FFFFFF;
  QRegion region;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    int x = 0;
    while (x < rgb.width()) {
      while (x < rgb.width() && (line[x] & 0x00FFFFFF) == key) ++x;
      const int start = x;
      while (x < rgb.width() && (line[x] & 0x00FFFFFF) != key) ++x;
      if (x > start) region += QRect(start, y, x - start, 1);
    }
  }
  return region;
}

QImage SplashPicture(bool tablet_mode) {
  constexpr int kWidth = 400;
  constexpr int kHeight = 250;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(kSplashTransparent);
  QPainter p(&image);

  // The card's outline is drawn without smoothing: a blended edge would leave pinkish pixels
  // that the mask keeps.
  const QRectF card = tablet_mode ? QRectF(0, 0, kWidth, kHeight) : QRectF(6, 6, 388, 238);
  QLinearGradient backdrop(card.topLeft(), card.bottomLeft());
  backdrop.setColorAt(0, QColor(18, 40, 72));
  backdrop.setColorAt(1, QColor(6, 14, 28));
  p.setPen(Qt::NoPen);
  p.setBrush(backdrop);
  if (tablet_mode) {
    p.drawRect(card);
  } else {
    p.drawRoundedRect(card, 28, 28);
  }

  p.setRenderHint(QPainter::Antialiasing);
  // A little spectrum: a noise floor with one strong carrier.
  const QRectF plot(40, 120, 320, 90);
  p.setPen(QPen(QColor(60, 90, 120), 1));
  for (int i = 0; i <= 4; ++i) {
    const double y = plot.top() + plot.height() * i / 4;
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  QPolygonF trace;
  constexpr int kPoints = 80;
  for (int i = 0; i < kPoints; ++i) {
    const double x = static_cast<double>(i) / (kPoints - 1);
    const double carrier = 0.75 / (1.0 + 400.0 * (x - 0.55) * (x - 0.55));
    const double side = 0.25 / (1.0 + 900.0 * (x - 0.25) * (x - 0.25));
    const double noise = 0.05 * ((i * 37) % 11) / 10.0;
    trace << QPointF(plot.left() + plot.width() * x,
                     plot.bottom() - plot.height() * (0.08 + noise + carrier + side));
  }
  p.setPen(QPen(QColor(90, 240, 130), 2));
  p.drawPolyline(trace);

  // The name in the largest bold face that fits the card.
  const QString name = tablet_mode ? QStringLiteral("Quorvalin Tablet PC Edition")
                                   : QStringLiteral("Tolvex PC based Spectrum Analyzer");
  const QRectF title_box(24, 30, 352, 40);
  QFont title = p.font();
  title.setBold(true);
  for (int pixels = 26; pixels > 10; --pixels) {
    title.setPixelSize(pixels);
    if (QFontMetricsF(title).horizontalAdvance(name) <= title_box.width()) break;
  }
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(title_box, Qt::AlignCenter, name);
  QFont sub = p.font();
  sub.setPixelSize(14);
  sub.setBold(false);
  p.setFont(sub);
  p.setPen(QColor(170, 200, 230));
  p.drawText(QRectF(20, 72, 360, 30), Qt::AlignCenter, QStringLiteral("Quorvalin Receiver"));
  return image;
}

CSplashScreenEx::CSplashScreenEx(TimerFactory& timers, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      timer_(timers.CreateTimer()) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("splashScreen"));
  timer_->SetCallback([this] { HideAndDestroy(); });
}

CSplashScreenEx::~CSplashScreenEx() = default;

bool CSplashScreenEx::FadingSupported() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
         platform == QLatin1String("cocoa");
}

void CSplashScreenEx::SetBitmap(const QImage& picture, std::optional<QColor> transparent) {
  picture_ = picture;
  setFixedSize(picture_.size());
  QRect area;
  if ((style_ & kCentreOnParent) && parentWidget() != nullptr) {
    area = parentWidget()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
    area = screen->geometry();
  }
  if (area.isValid()) {
    move(area.left() + (area.width() - picture_.width()) / 2,
         area.top() + (area.height() - picture_.height()) / 2);
  }
  if (transparent) {
    setMask(OpaqueRegion(picture_, *transparent));
  } else {
    clearMask();
  }
}

void CSplashScreenEx::Show() {
  if ((style_ & kFadeIn) && FadingSupported()) {
    setWindowOpacity(0.0);
    show();
    auto* fade_in = new QPropertyAnimation(this, "windowOpacity", this);
    fade_in->setDuration(kFadeInMs);
    fade_in->setStartValue(0.0);
    fade_in->setEndValue(1.0);
    fade_in->start(QAbstractAnimation::DeleteWhenStopped);
  } else {
    show();
  }
  if (timeout_ms_ != 0) timer_->Start(timeout_ms_, true);
}

void CSplashScreenEx::HideAndDestroy() {
  if (closing_) return;
  closing_ = true;
  timer_->Stop();
  if ((style_ & kFadeOut) && FadingSupported() && isVisible()) {
    fade_ = new QPropertyAnimation(this, "windowOpacity", this);
    fade_->setDuration(kFadeOutMs);
    fade_->setStartValue(windowOpacity());
    fade_->setEndValue(0.0);
    connect(fade_, &QPropertyAnimation::finished, this, &CSplashScreenEx::FinishHiding);
    fade_->start();
  } else {
    FinishHiding();
  }
}

void CSplashScreenEx::FinishHiding() {
  hide();
  deleteLater();
}

void CSplashScreenEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void CSplashScreenEx::keyPressEvent(QKeyEvent* event) {
  if (style_ & kHideOnInput) {
    HideAndDestroy();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void CSplashScreenEx::mousePressEvent(QMouseEvent* event) {
  if (style_ & kHideOnInput) {
    HideAndDestroy();
  } else {
    QWidget::mousePressEvent(event);
  }
}

}  // namespace qv
