#include "gui/record/timeline_widget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/display/colour_map.h"
#include "core/display/overview_image.h"
#include "core/display/timeline_layout.h"

namespace qv {
namespace {

constexpr Colour kStripBackground = Rgb(0, 0, 0);

// A few pixels of wobble are still a click.
bool IsDrag(int press_x, int x) {
  return std::abs(x - press_x) > 3;
}

struct SpeedChoice {
  ReplaySpeed speed;
  const char* text;
};
constexpr std::array<SpeedChoice, 7> kSpeeds = {{
    {ReplaySpeed::kRecordPerTick, "Record/tick"},
    {ReplaySpeed::k1, "\u00d71"},
    {ReplaySpeed::k4, "\u00d74"},
    {ReplaySpeed::k16, "\u00d716"},
    {ReplaySpeed::k64, "\u00d764"},
    {ReplaySpeed::k256, "\u00d7256"},
    {ReplaySpeed::kMax, "Max"},
}};

// The spectrogram's own colours until the view hands the chosen ones.
CTimelineWidget::ColourTable DefaultColours() {
  CGradient gradient;
  gradient.SetSpectrogram(-20, -120);
  return LevelColourTable(ColourMap::kReceiver, gradient);
}

}  // namespace

CTimelineWidget::CTimelineWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Timeline"));
  setFixedHeight(kHeight);
  setAutoFillBackground(true);
  QPalette dark = palette();
  dark.setColor(QPalette::Window, Qt::black);
  dark.setColor(QPalette::WindowText, QColor(0, 255, 0));
  setPalette(dark);

  position_ = new QLabel(this);
  position_->setObjectName(QStringLiteral("timelinePosition"));
  scan_ = new QLabel(this);
  scan_->setObjectName(QStringLiteral("timelineScan"));
  scan_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  strip_ = new COverviewStrip(*this);
  step_back_ = new QToolButton(this);
  step_back_->setText(QStringLiteral("|<"));
  step_back_->setToolTip(QStringLiteral("One sweep back"));
  step_forward_ = new QToolButton(this);
  step_forward_->setText(QStringLiteral(">|"));
  step_forward_->setToolTip(QStringLiteral("One sweep forward"));
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QStringLiteral("timelineSlider"));
  speed_ = new QComboBox(this);
  speed_->setObjectName(QStringLiteral("timelineSpeed"));
  speed_->setToolTip(QStringLiteral("Replay speed"));
  for (const SpeedChoice& choice : kSpeeds) {
    speed_->addItem(QString::fromUtf8(choice.text), static_cast<int>(choice.speed));
  }
  // Space pauses from anywhere in the main window: the buttons and the list must not keep it.
  for (QWidget* control : {static_cast<QWidget*>(step_back_), static_cast<QWidget*>(step_forward_),
                           static_cast<QWidget*>(speed_)}) {
    control->setFocusPolicy(Qt::NoFocus);
  }

  auto* top = new QHBoxLayout;
  top->addWidget(position_, 1);
  top->addWidget(scan_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(step_back_);
  bottom->addWidget(slider_, 1);
  bottom->addWidget(step_forward_);
  bottom->addWidget(speed_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(6, 2, 6, 2);
  column->setSpacing(2);
  column->addLayout(top);
  column->addWidget(strip_, 1);
  column->addLayout(bottom);

  // A drag jumps once, on release; keys and clicks on the groove jump at once.
  connect(slider_, &QSlider::sliderReleased, this, &CTimelineWidget::JumpFromSlider);
  connect(slider_, &QSlider::valueChanged, this, [this] {
    if (!refreshing_ && !slider_->isSliderDown()) JumpFromSlider();
  });
  connect(slider_, &QSlider::sliderMoved, this, [this](int value) {
    if (source_ != nullptr) {
      position_->setText(QString::fromStdString(
          TimelinePositionText(std::nullopt, value, source_->Duration())));
    }
  });
  connect(speed_, &QComboBox::activated, this, [this](int index) {
    if (source_ != nullptr) source_->SetSpeed(static_cast<ReplaySpeed>(speed_->itemData(index).toInt()));
    Refresh();
  });
  connect(step_back_, &QToolButton::clicked, this, [this] {
    if (source_ != nullptr) source_->StepSweep(-1);
    Refresh();
  });
  connect(step_forward_, &QToolButton::clicked, this, [this] {
    if (source_ != nullptr) source_->StepSweep(1);
    Refresh();
  });
  hide();
}

CTimelineWidget::~CTimelineWidget() = default;

void CTimelineWidget::SetSource(TimelineSource* source) {
  source_ = source;
  window_.reset();
  strip_->Invalidate();
  Refresh();
}

void CTimelineWidget::SetColours(std::function<ColourTable()> colours) {
  strip_->colours_ = std::move(colours);
  strip_->update();
}

void CTimelineWidget::Refresh() {
  const bool playing = source_ != nullptr && source_->Playing();
  // Its own state, not whether a window shows it.
  if (playing == isHidden()) {
    // A log that stops takes its window with it.
    if (!playing) SetWindow(std::nullopt);
    setVisible(playing);
    emit ShownChanged(playing);
  }
  if (!playing) return;
  const int64_t duration = source_->Duration();
  const int64_t elapsed = source_->PositionElapsed();
  if (!slider_->isSliderDown()) {
    refreshing_ = true;
    slider_->setRange(0, static_cast<int>(std::clamp<int64_t>(duration, 0, INT32_MAX)));
    slider_->setPageStep(static_cast<int>(std::clamp<int64_t>(duration / 20, 1, INT32_MAX)));
    slider_->setValue(static_cast<int>(std::clamp<int64_t>(elapsed, 0, INT32_MAX)));
    refreshing_ = false;
    position_->setText(QString::fromStdString(
        TimelinePositionText(source_->PositionClock(), elapsed, duration)));
  }
  scan_->setText(QString::fromStdString(ScanProgressText(source_->ScanProgress())));
  const int speed = speed_->findData(static_cast<int>(source_->Speed()));
  if (speed >= 0) speed_->setCurrentIndex(speed);
  const bool paused = source_->Paused();
  step_back_->setEnabled(paused);
  step_forward_->setEnabled(paused);
  strip_->update();
}

void CTimelineWidget::OverviewChanged() {
  strip_->Invalidate();
  strip_->update();
}

void CTimelineWidget::ClearWindow() {
  SetWindow(std::nullopt);
}

void CTimelineWidget::SetWindow(std::optional<TimeWindowSeconds> window) {
  if (window == window_) return;
  window_ = window;
  if (source_ != nullptr) source_->SelectWindow(window_);
  strip_->update();
}

void CTimelineWidget::JumpFromSlider() {
  if (source_ == nullptr) return;
  source_->JumpTo(slider_->value());
  Refresh();
}

COverviewStrip::COverviewStrip(CTimelineWidget& timeline)
    : QWidget(&timeline), timeline_(timeline) {
  setObjectName(QStringLiteral("timelineOverview"));
  setMinimumHeight(24);
  setCursor(Qt::CrossCursor);
  setToolTip(QStringLiteral("Click to go there; drag to select a time window"));
}

void COverviewStrip::MakePicture() {
  const TimelineSource* source = timeline_.source_;
  const LogOverview* overview = source != nullptr ? source->Overview() : nullptr;
  MadeFor key{overview, size(), colours_ ? colours_() : DefaultColours()};
  if (made_for_ == key) return;
  made_for_ = key;
  picture_ = QImage();
  if (overview == nullptr || width() <= 0 || height() <= 0) return;
  const std::vector<Colour> pixels =
      OverviewPixels(*overview, width(), height(), key.colours, kStripBackground);
  picture_ = QImage(size(), QImage::Format_RGB32);
  for (int y = 0; y < height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < width(); ++x) {
      const Colour c = pixels[static_cast<size_t>(y) * static_cast<size_t>(width()) +
                              static_cast<size_t>(x)];
      line[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
  }
}

int64_t COverviewStrip::SecondAt(int x) const {
  const TimelineSource* source = timeline_.source_;
  return source != nullptr ? SecondAtX(x, width(), source->Duration()) : 0;
}

void COverviewStrip::paintEvent(QPaintEvent*) {
  MakePicture();
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0, 0, 0));
  if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
  painter.setPen(QColor(0, 96, 0));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const TimelineSource* source = timeline_.source_;
  if (source == nullptr) return;
  const int64_t duration = source->Duration();
  // The window being dragged, else the one selected.
  std::optional<std::pair<int, int>> shaded;
  if (press_x_ && drag_x_) {
    shaded = std::minmax(*press_x_, *drag_x_);
  } else if (timeline_.window_) {
    shaded = {XOfSecond(timeline_.window_->first, width(), duration),
              XOfSecond(timeline_.window_->second, width(), duration)};
  }
  // The colour maps run from white to black, so the window and the cursor wear colours of
  // their own, edged, to stand out on any cell.
  if (shaded) {
    const QRect band(QPoint(shaded->first, 0), QPoint(shaded->second, height() - 1));
    painter.fillRect(band, QColor(40, 110, 255, 90));
    painter.fillRect(QRect(band.left(), 0, band.width(), 4), QColor(40, 110, 255));
    painter.fillRect(QRect(band.left(), height() - 4, band.width(), 4), QColor(40, 110, 255));
  }
  const int x = XOfSecond(source->PositionElapsed(), width(), duration);
  painter.fillRect(QRect(x - 1, 0, 3, height()), QColor(0, 0, 0));
  painter.setPen(QPen(QColor(255, 64, 64), 1));
  painter.drawLine(x, 0, x, height() - 1);
}

void COverviewStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_x_ = event->position().toPoint().x();
  drag_x_.reset();
}

void COverviewStrip::mouseMoveEvent(QMouseEvent* event) {
  if (!press_x_) return;
  const int x = event->position().toPoint().x();
  if (drag_x_ || IsDrag(*press_x_, x)) {
    drag_x_ = x;
    update();
  }
}

void COverviewStrip::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !press_x_) return;
  const int press = *press_x_;
  const int x = event->position().toPoint().x();
  const bool drag = drag_x_ || IsDrag(press, x);
  press_x_.reset();
  drag_x_.reset();
  if (drag) {
    const auto [left, right] = std::minmax(press, x);
    timeline_.SetWindow(TimeWindowSeconds{SecondAt(left), SecondAt(right)});
    return;
  }
  // A click clears a window and jumps.
  timeline_.SetWindow(std::nullopt);
  if (TimelineSource* source = timeline_.source_) {
    source->JumpTo(SecondAt(press));
    timeline_.Refresh();
  }
}

}  // namespace qv
