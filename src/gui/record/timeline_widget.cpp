#include "gui/record/timeline_widget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/display/timeline_layout.h"
#include "gui/display/waterfall.h"

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

CGradient RangeGradient(std::pair<int16_t, int16_t> range) {
  CGradient gradient;
  gradient.SetSpectrogram(range.first, range.second);
  return gradient;
}

}  // namespace

// The slider, telling where its handle's centre lies for a value.
class CTimelineWidget::TimeSlider : public QSlider {
 public:
  using QSlider::QSlider;
  int HandleCentre(int value) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.sliderPosition = option.sliderValue = value;
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this)
        .center()
        .x();
  }
};

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
  window_label_ = new QLabel(this);
  window_label_->setObjectName(QStringLiteral("timelineWindow"));
  window_label_->setStyleSheet(QStringLiteral("color: rgb(110, 160, 255)"));
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
  slider_ = new TimeSlider(Qt::Horizontal, this);
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
  top->addWidget(window_label_, 1);
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

void CTimelineWidget::SetColourMap(std::function<ColourMap()> map) {
  strip_->colour_map_ = std::move(map);
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
  ShowWindowText();
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
  ShowWindowText();
  strip_->update();
}

void CTimelineWidget::ShowWindowText() {
  window_label_->setText(
      window_ && source_ != nullptr
          ? QString::fromStdString(TimeWindowText(
                source_->ClockAt(window_->first), source_->ClockAt(window_->second),
                window_->first, window_->second, source_->WindowProgress()))
          : QString());
}

QSlider& CTimelineWidget::Slider() const {
  return *slider_;
}

std::pair<int, int> CTimelineWidget::StripTimeSpan() const {
  const auto strip_x = [this](int slider_x) {
    return strip_->mapFrom(this, slider_->mapTo(this, QPoint(slider_x, 0))).x();
  };
  return {strip_x(slider_->HandleCentre(slider_->minimum())),
          strip_x(slider_->HandleCentre(slider_->maximum()))};
}

int CTimelineWidget::StripXOfSecond(int64_t second) const {
  const auto [left, right] = StripTimeSpan();
  const int value =
      static_cast<int>(std::clamp<int64_t>(second, slider_->minimum(), slider_->maximum()));
  return left + QStyle::sliderPositionFromValue(slider_->minimum(), slider_->maximum(), value,
                                                right - left);
}

int64_t CTimelineWidget::SecondAtStripX(int x) const {
  const auto [left, right] = StripTimeSpan();
  return QStyle::sliderValueFromPosition(slider_->minimum(), slider_->maximum(),
                                         std::clamp(x, left, right) - left, right - left);
}

void CTimelineWidget::JumpFromSlider() {
  if (source_ == nullptr) return;
  source_->JumpTo(slider_->value());
  Refresh();
}

COverviewStrip::COverviewStrip(CTimelineWidget& timeline)
    : QWidget(&timeline), timeline_(timeline) {
  setObjectName(QStringLiteral("timelineOverview"));
  setMinimumHeight(60);
  setCursor(Qt::CrossCursor);
  setToolTip(QStringLiteral("Click to go there; drag to select a time window"));
}

OverviewStripLayout COverviewStrip::Layout() const {
  const QFontMetrics metrics(font());
  const auto [left, right] = timeline_.StripTimeSpan();
  return LayOutOverviewStrip(width(), height(), left, right,
                             metrics.horizontalAdvance(QLatin1Char('0')), metrics.height());
}

void COverviewStrip::MakePicture() {
  const TimelineSource* source = timeline_.source_;
  const LogOverview* overview = source != nullptr ? source->Overview() : nullptr;
  MadeFor key{overview, size(), timeline_.StripTimeSpan(),
              colour_map_ ? colour_map_() : ColourMap::kReceiver};
  if (made_for_ == key) return;
  made_for_ = key;
  picture_ = QImage();
  parts_.clear();
  // Time runs over the pixels from the slider handle's centre at the start to it at the end.
  const GraphRect w = Layout().waterfall;
  const int columns = w.right - w.left;
  const int rows = w.bottom - w.top;
  if (overview == nullptr || columns <= 0 || rows <= 0) return;
  range_ = OverviewColourRange(*overview).value_or(range_);
  const std::vector<Colour> pixels =
      OverviewPixels(*overview, columns, rows,
                     LevelColourTable(key.map, RangeGradient(range_)), kStripBackground);
  parts_ = OverviewParts(*overview, columns);
  picture_ = QImage(QSize(columns, rows), QImage::Format_RGB32);
  for (int y = 0; y < rows; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    for (int x = 0; x < columns; ++x)
      line[x] = GradientToRgb(pixels[static_cast<size_t>(y) * static_cast<size_t>(columns) +
                                     static_cast<size_t>(x)]);
  }
}

void COverviewStrip::PaintScales(QPainter& painter, const OverviewStripLayout& layout) {
  const TimelineSource& source = *timeline_.source_;
  const GraphRect& w = layout.waterfall;
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  const QColor text = palette().color(QPalette::WindowText);
  painter.setFont(font());
  painter.setPen(text);
  painter.drawLine(w.left, w.bottom, w.right - 1, w.bottom);
  const auto row_text = [&](int left, int y, const QString& label) {
    const int top = std::clamp(y - line / 2, 0, std::max(height() - line, 0));
    painter.drawText(QRect(left, top, width() - left, line), Qt::AlignLeft | Qt::AlignVCenter,
                     label);
  };
  // The clock under the strip, at the slider's x of each tick.
  for (const TimeTick& tick : LayOutTimeTicks(source.Duration(), source.StartClock(),
                                              w.right - w.left,
                                              metrics.horizontalAdvance(QLatin1Char('0')))) {
    const int x = timeline_.StripXOfSecond(tick.second);
    const QString label = QString::fromStdString(tick.text);
    const int label_width = metrics.horizontalAdvance(label);
    painter.drawLine(x, w.bottom, x, w.bottom + 3);
    painter.drawText(QRect(std::clamp(x - label_width / 2, 0, std::max(width() - label_width, 0)),
                           w.bottom + 3, label_width, line),
                     Qt::AlignCenter, label);
  }
  // The frequencies of the part under the cursor; with several parts each is named at its start.
  if (!parts_.empty()) {
    const int cursor = timeline_.StripXOfSecond(source.PositionElapsed()) - w.left;
    const auto under = std::find_if(parts_.begin(), parts_.end(),
                                    [&](const OverviewPart& p) { return cursor <= p.last; });
    const OverviewPart& shown = under != parts_.end() ? *under : parts_.back();
    for (const RowLabel& label : LayOutOverviewFrequencies(w, shown.setting, line)) {
      painter.drawLine(w.right, label.y, w.right + 2, label.y);
      row_text(layout.frequency_labels, label.y, QString::fromStdString(label.text));
    }
    if (parts_.size() > 1) {
      for (const OverviewPart& part : parts_) {
        const QString name = QString::fromStdString(OverviewPartText(part.setting));
        const int x = w.left + part.first;
        if (part.first != 0) {
          painter.setPen(QPen(QColor(200, 200, 200), 1, Qt::DashLine));
          painter.drawLine(x, w.top, x, w.bottom - 1);
          painter.setPen(text);
        }
        const int name_width = metrics.horizontalAdvance(name) + 4;
        if (part.last - part.first + 1 < name_width) continue;
        painter.fillRect(QRect(x + 1, w.top + 1, name_width, line), QColor(0, 0, 0, 160));
        painter.drawText(QRect(x + 3, w.top + 1, name_width, line), Qt::AlignVCenter, name);
      }
    }
  }
  // The colour scale of the strip's own range.
  const GraphRect& bar = layout.colour_bar;
  if (bar.right > width() || bar.bottom - bar.top < 2) return;
  PaintColourScale(painter, bar, made_for_ ? made_for_->map : ColourMap::kReceiver,
                   RangeGradient(range_), range_.first, range_.second, layout.scale_labels,
                   width(), line, height());
}

void COverviewStrip::paintEvent(QPaintEvent*) {
  MakePicture();
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0, 0, 0));
  const OverviewStripLayout layout = Layout();
  const GraphRect& w = layout.waterfall;
  if (!picture_.isNull()) painter.drawImage(w.left, w.top, picture_);
  const TimelineSource* source = timeline_.source_;
  if (source == nullptr) return;
  PaintScales(painter, layout);
  // The window being dragged, else the one selected.
  std::optional<std::pair<int, int>> shaded;
  if (press_x_ && drag_x_) {
    shaded = std::minmax(*press_x_, *drag_x_);
  } else if (timeline_.window_) {
    shaded = {timeline_.StripXOfSecond(timeline_.window_->first),
              timeline_.StripXOfSecond(timeline_.window_->second)};
  }
  // The colour maps run from white to black, so the window and the cursor wear colours of
  // their own, edged, to stand out on any cell.
  const int rows = w.bottom - w.top;
  if (shaded) {
    const QRect band(QPoint(shaded->first, w.top), QPoint(shaded->second, w.bottom - 1));
    painter.fillRect(band, QColor(40, 110, 255, 90));
    painter.fillRect(QRect(band.left(), w.top, band.width(), 4), QColor(40, 110, 255));
    painter.fillRect(QRect(band.left(), w.bottom - 4, band.width(), 4), QColor(40, 110, 255));
  }
  const int x = timeline_.StripXOfSecond(source->PositionElapsed());
  painter.fillRect(QRect(x - 1, w.top, 3, rows), QColor(0, 0, 0));
  painter.setPen(QPen(QColor(255, 64, 64), 1));
  painter.drawLine(x, w.top, x, w.bottom - 1);
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
    timeline_.SetWindow(
        TimeWindowSeconds{timeline_.SecondAtStripX(left), timeline_.SecondAtStripX(right)});
    return;
  }
  // A click clears a window and jumps.
  timeline_.SetWindow(std::nullopt);
  if (TimelineSource* source = timeline_.source_) {
    source->JumpTo(timeline_.SecondAtStripX(press));
    timeline_.Refresh();
  }
}

}  // namespace qv
