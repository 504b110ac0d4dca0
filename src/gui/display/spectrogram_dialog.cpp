#include "gui/display/spectrogram_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/display/average_history.h"
#include "core/display/spectrogram_axes.h"
#include "core/display/spectrogram_history.h"
#include "gui/app/toolbar_icons.h"

namespace qv {

// The picture frame: shows the dialog's off-screen picture, painting it first when a copy or a
// range change is waiting or the frame's size changed.
class WaterfallFrame : public QWidget {
 public:
  explicit WaterfallFrame(CSpectrogramDialog* dialog) : QWidget(dialog), dialog_(dialog) {
    setObjectName(QStringLiteral("waterfall"));
    setMinimumSize(300, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    dialog_->PaintPicture(size());
    QPainter painter(this);
    painter.drawImage(0, 0, dialog_->picture_);
  }

 private:
  CSpectrogramDialog* dialog_;
};

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRepeat(true);
  return button;
}

QLineEdit* LevelEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setReadOnly(true);
  edit->setMaximumWidth(60);
  return edit;
}

}  // namespace

CSpectrogramDialog::CSpectrogramDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Spectrogram Display"));
  setWindowIcon(ToolbarIcon(11));
  setModal(false);

  frame_ = new WaterfallFrame(this);
  maximum_edit_ = LevelEdit("maximumPower", this);
  minimum_edit_ = LevelEdit("minimumPower", this);
  auto* raise_maximum = ArrowButton(Qt::UpArrow, "raiseMaximum", this);
  auto* lower_maximum = ArrowButton(Qt::DownArrow, "lowerMaximum", this);
  auto* raise_minimum = ArrowButton(Qt::UpArrow, "raiseMinimum", this);
  auto* lower_minimum = ArrowButton(Qt::DownArrow, "lowerMinimum", this);
  auto* reset = new QPushButton(QStringLiteral("Reset Display"), this);
  reset->setObjectName(QStringLiteral("resetDisplay"));
  reset->setAutoDefault(false);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Maximum Power:-"), this));
  controls->addWidget(maximum_edit_);
  controls->addWidget(raise_maximum);
  controls->addWidget(lower_maximum);
  controls->addSpacing(16);
  controls->addWidget(new QLabel(QStringLiteral("Minimum Power:-"), this));
  controls->addWidget(minimum_edit_);
  controls->addWidget(raise_minimum);
  controls->addWidget(lower_minimum);
  controls->addStretch();
  controls->addWidget(reset);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame_, 1);
  layout->addLayout(controls);

  auto step = [this](bool (SpectrogramRange::*change)()) {
    return [this, change] {
      if ((range_.*change)()) RangeChanged();
    };
  };
  connect(raise_maximum, &QToolButton::clicked, this, step(&SpectrogramRange::RaiseMaximum));
  connect(lower_maximum, &QToolButton::clicked, this, step(&SpectrogramRange::LowerMaximum));
  connect(raise_minimum, &QToolButton::clicked, this, step(&SpectrogramRange::RaiseMinimum));
  connect(lower_minimum, &QToolButton::clicked, this, step(&SpectrogramRange::LowerMinimum));
  connect(reset, &QPushButton::clicked, this, &CSpectrogramDialog::ResetDisplay);

  RangeChanged();
}

CSpectrogramDialog::~CSpectrogramDialog() = default;

void CSpectrogramDialog::Update(const SpectrogramHistory& history, int32_t points) {
  history_ = &history;
  points_ = std::clamp(points, 0, kMaxPoints);
  pending_ = true;
}

void CSpectrogramDialog::SetSweepAxes(uint32_t start, uint16_t sweep_word, bool reverse) {
  start_ = start;
  sweep_word_ = sweep_word;
  reverse_ = reverse;
}

void CSpectrogramDialog::SetAxesShown(bool shown) {
  if (axes_shown_ == shown) return;
  axes_shown_ = shown;
  pending_ = true;
  frame_->update();
}

void CSpectrogramDialog::SetColourMap(ColourMap map) {
  if (colour_map_ == map) return;
  colour_map_ = map;
  RangeChanged();
}

void CSpectrogramDialog::ShowPending() {
  if (pending_ && frame_->isVisible()) frame_->update();
}

void CSpectrogramDialog::SetRange(int16_t maximum, int16_t minimum) {
  range_.SetRange(maximum, minimum);
  RangeChanged();
  if (clear_history_) clear_history_();
}

void CSpectrogramDialog::ResetDisplay() {
  range_.ResetDisplay();
  RangeChanged();
  if (clear_history_) clear_history_();
}

void CSpectrogramDialog::RangeChanged() {
  maximum_edit_->setText(QString::asprintf("%d", range_.maximum()));
  minimum_edit_->setText(QString::asprintf("%d", range_.minimum()));
  renderer_.SetGradient(range_.gradient(), colour_map_);
  // Shown from the next repaint; the last copy is kept, so the picture follows at once.
  pending_ = true;
  frame_->update();
}

void CSpectrogramDialog::PaintPicture(const QSize& size) {
  if (picture_.size() != size) {
    picture_ = QImage(size, QImage::Format_RGB32);
    painted_axes_.reset();
    pending_ = true;
  }
  if (!pending_) return;
  if (history_ != nullptr) {
    slots_.resize(static_cast<size_t>(points_) * kHistoryDepth);
    history_->CopySlots(points_, slots_.data());
    filled_ = history_->FilledSlots();
    history_ = nullptr;
  }
  const QFontMetrics metrics(font());
  const SpectrogramLayout layout = LayOutSpectrogram(
      size.width(), size.height(), metrics.horizontalAdvance(QLatin1Char('0')), metrics.height(),
      axes_shown_);
  // The waterfall's rectangle of the picture, written in place.
  const GraphRect& w = layout.waterfall;
  QImage area(picture_.bits() + static_cast<qsizetype>(w.top) * picture_.bytesPerLine() +
                  static_cast<qsizetype>(w.left) * 4,
              w.right - w.left, w.bottom - w.top, picture_.bytesPerLine(), QImage::Format_RGB32);
  renderer_.Render(area, slots_.empty() ? nullptr : slots_.data(), points_,
                   layout.axes ? filled_.data() : nullptr);
  if (layout.axes) {
    const AxesKey key{size.width(), size.height(), range_.maximum(), range_.minimum(),
                      points_,      colour_map_,   start_,           sweep_word_,
                      reverse_};
    if (painted_axes_ != key) {
      PaintAxes(layout);
      painted_axes_ = key;
    }
    PaintNoData(layout);
  } else {
    painted_axes_.reset();
  }
  pending_ = false;
}

void CSpectrogramDialog::PaintAxes(const SpectrogramLayout& layout) {
  const GraphRect& w = layout.waterfall;
  const GraphRect& bar = layout.colour_bar;
  const QFontMetrics metrics(font());
  const int char_width = metrics.horizontalAdvance(QLatin1Char('0'));
  const int line = metrics.height();
  const int width = picture_.width();
  const int height = picture_.height();

  QPainter painter(&picture_);
  const QPalette& colours = palette();
  const QColor background = colours.color(QPalette::Window);
  painter.fillRect(0, 0, width, w.top, background);
  painter.fillRect(0, w.bottom, width, height - w.bottom, background);
  painter.fillRect(0, w.top, w.left, w.bottom - w.top, background);
  painter.fillRect(w.right, w.top, bar.left - w.right, w.bottom - w.top, background);
  painter.fillRect(bar.right, w.top, width - bar.right, w.bottom - w.top, background);
  painter.setPen(colours.color(QPalette::WindowText));
  painter.setFont(font());
  painter.drawRect(bar.left - 1, bar.top - 1, bar.right - bar.left + 1, bar.bottom - bar.top + 1);

  const auto row_text = [&](int left, int right, int y, Qt::Alignment align, const QString& text) {
    const int top = std::clamp(y - line / 2, 0, std::max(height - line, 0));
    painter.drawText(QRect(left, top, right - left, line), align | Qt::AlignVCenter, text);
  };
  for (const RowLabel& label : LayOutTimeAxis(w, reverse_, line)) {
    painter.drawLine(w.left - 3, label.y, w.left - 1, label.y);
    row_text(0, w.left - 4, label.y, Qt::AlignRight, QString::fromStdString(label.text));
  }
  PaintColourScale(painter, bar, colour_map_, range_.gradient(), range_.maximum(),
                   range_.minimum(), layout.scale_labels, width, line, height);
  for (const AxisLabel& label : LayOutWaterfallFrequencies(w, start_, sweep_word_, points_,
                                                           char_width, 4 * char_width, bar.left)) {
    const int x = WaterfallGridX(w, label.grid_line);
    painter.drawLine(x, w.bottom, x, w.bottom + 2);
    painter.drawText(QRect(label.left, w.bottom + 3, label.width + char_width, line),
                     Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(label.text));
  }
  painter.drawText(QRect(0, 0, w.right, line), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("sweeps ago"));
  painter.drawText(QRect(bar.left, 0, width - bar.left, line), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("dBm"));
  painter.drawText(QRect(0, w.bottom + 3, 4 * char_width, line), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("MHz"));
}

void CSpectrogramDialog::PaintNoData(const SpectrogramLayout& layout) {
  const GraphRect& w = layout.waterfall;
  const std::optional<RowSpan> empty = EmptyRows(w, filled_);
  if (empty && empty->last - empty->first + 1 >= QFontMetrics(font()).height()) {
    QPainter painter(&picture_);
    painter.setFont(font());
    painter.setPen(QColor(80, 80, 80));
    painter.drawText(QRect(w.left, empty->first, w.right - w.left, empty->last - empty->first + 1),
                     Qt::AlignCenter, QStringLiteral("no data"));
  }
}

}  // namespace qv
