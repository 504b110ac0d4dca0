#include "gui/display/histogram_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/display/histogram_axis.h"
#include "core/display/trace_data.h"
#include "gui/display/histogram_bars.h"
#include "gui/ui/arrow_captions.h"

namespace qv {

// The picture frame: shows the dialog's picture and asks for a new one when resized.
class CHistogramDlg::Frame : public QWidget {
 public:
  explicit Frame(CHistogramDlg& owner) : QWidget(&owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(300, 150);
    resize(500, 250);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (owner_.stale_) owner_.Render();
    QPainter painter(this);
    if (owner_.picture_.size() == size()) {
      painter.drawImage(0, 0, owner_.picture_);
    } else {
      painter.fillRect(rect(), QColor::fromRgb(kHistogramBackground));
    }
  }
  void resizeEvent(QResizeEvent*) override { owner_.Render(); }

 private:
  CHistogramDlg& owner_;
};

// The frequency axis under the picture frame, as wide as the frame.
class CHistogramDlg::Axis : public QWidget {
 public:
  explicit Axis(CHistogramDlg& owner) : QWidget(&owner), owner_(owner) {
    setObjectName(QStringLiteral("histogramAxis"));
    setFixedHeight(fontMetrics().height() + 4);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    PaintHistogramAxis(painter, width(), fontMetrics().height(), owner_.FrequencyLabels());
  }

 private:
  CHistogramDlg& owner_;
};

CHistogramDlg::CHistogramDlg(const TraceData& trace, QWidget* parent)
    : QDialog(parent), trace_(trace) {
  setWindowTitle(QStringLiteral("Histogram Display"));
  setModal(false);

  frame_ = new Frame(*this);
  frame_->setProperty("controlId", kPictureFrame);
  axis_ = new Axis(*this);

  // Percent labels down the left of the picture, top to bottom.
  auto* percents = new QVBoxLayout;
  const char* const kPercents[] = {"100 %", "75 %", "50 %", "25%", "0 %"};
  for (int k = 0; k < 5; ++k) {
    auto* label = new QLabel(QString::fromLatin1(kPercents[k]), this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percents->addWidget(label);
    if (k < 4) percents->addStretch();
  }
  // The axis shares the frame's column, so its lines stand under the bars they name.
  auto* picture_row = new QGridLayout;
  picture_row->setVerticalSpacing(0);
  picture_row->addLayout(percents, 0, 0);
  picture_row->addWidget(frame_, 0, 1);
  picture_row->addWidget(new QLabel(QStringLiteral("MHz"), this), 1, 0,
                         Qt::AlignRight | Qt::AlignTop);
  picture_row->addWidget(axis_, 1, 1);
  picture_row->setColumnStretch(1, 1);
  picture_row->setRowStretch(0, 1);

  auto* explanation = new QLabel(
      QStringLiteral("The above Histogram displays the percent of the total sweeps a spectral "
                     "frequency component is above the Power Threshold which can be set below. "
                     "Clicking \"Reset\" will dislay the Spectrogram relative to the current "
                     "trace"),
      this);
  explanation->setWordWrap(true);

  threshold_edit_ = new QLineEdit(this);
  threshold_edit_->setReadOnly(true);
  threshold_edit_->setMaximumWidth(60);
  threshold_edit_->setProperty("controlId", kThresholdEdit);
  auto* raise = new QPushButton(UpArrowCaption(), this);
  raise->setProperty("controlId", kRaiseButton);
  auto* lower = new QPushButton(DownArrowCaption(), this);
  lower->setProperty("controlId", kLowerButton);
  threshold_label_ = new QLabel(this);
  threshold_label_->setProperty("controlId", kThresholdLabel);
  scale_top_label_ = new QLabel(this);
  scale_top_label_->setProperty("controlId", kScaleTopLabel);
  auto* reset = new QPushButton(QStringLiteral("Reset "), this);
  reset->setProperty("controlId", kResetButton);

  auto* controls = new QGridLayout;
  controls->addWidget(new QLabel(QStringLiteral("Power Threshold:"), this), 0, 0);
  controls->addWidget(threshold_edit_, 0, 1);
  controls->addWidget(raise, 0, 2);
  controls->addWidget(lower, 0, 3);
  controls->addWidget(threshold_label_, 0, 4);
  controls->addWidget(scale_top_label_, 0, 5);
  controls->addWidget(reset, 0, 6);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(picture_row, 1);
  layout->addWidget(explanation);
  layout->addLayout(controls);

  connect(raise, &QPushButton::clicked, this, [this] {
    scale_.RaiseThreshold();
    ScaleChanged();
  });
  connect(lower, &QPushButton::clicked, this, [this] {
    scale_.LowerThreshold();
    ScaleChanged();
  });
  connect(reset, &QPushButton::clicked, this, &CHistogramDlg::OnReset);

  ScaleChanged();
}

CHistogramDlg::~CHistogramDlg() = default;

QWidget* CHistogramDlg::Control(int id) const {
  for (QWidget* child : findChildren<QWidget*>()) {
    if (child->property("controlId").toInt() == id) return child;
  }
  return nullptr;
}

void CHistogramDlg::ScaleChanged() {
  threshold_edit_->setText(QString::fromStdString(scale_.ThresholdText()));
  threshold_label_->setText(QString::fromStdString(scale_.ThresholdLabel()));
  scale_top_label_->setText(QString::fromStdString(scale_.ScaleTopLabel()));
  colours_ = HistogramColourTable(scale_.gradient());
  // The bars on screen take the new colours now rather than at the next sweep.
  Render();
  frame_->update();
  emit ThresholdChanged(scale_.threshold());
}

void CHistogramDlg::ShowWindow(std::vector<int16_t> counts, int16_t counter) {
  window_counts_ = std::move(counts);
  window_counter_ = counter;
  Render();
  frame_->update();
}

void CHistogramDlg::Update(int32_t points, int16_t sweep_counter, const int16_t* counts) {
  const int32_t n = std::clamp<int32_t>(points, 0, kMaxPoints);
  counts_.assign(counts, counts + n);
  sweep_counter_ = sweep_counter;
  stale_ = true;
  const LogSweepSetting setting = SweepSettingOf(trace_.header);
  if (setting != setting_) {
    setting_ = setting;
    emit SweepSettingChanged();
  }
}

void CHistogramDlg::ShowPending() {
  if (stale_ && isVisible()) {
    frame_->update();
    axis_->update();
  }
}

std::vector<AxisLabel> CHistogramDlg::FrequencyLabels() const {
  return LayOutHistogramFrequencies(axis_->width(), trace_.header.start, trace_.header.sweep_word,
                                    static_cast<int32_t>(counts_.size()),
                                    axis_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

const QImage& CHistogramDlg::Picture() {
  if (stale_) Render();
  return picture_;
}

void CHistogramDlg::SetReferenceLevel(int16_t level) {
  scale_.SetReferenceLevel(level);
  ScaleChanged();
}

void CHistogramDlg::OnReset() {
  if (reset_) reset_();
}

void CHistogramDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (stale_) Render();
}

void CHistogramDlg::Render() {
  stale_ = false;
  if (picture_.size() != frame_->size()) picture_ = QImage(frame_->size(), QImage::Format_RGB32);
  if (picture_.isNull()) return;
  const bool window = !window_counts_.empty();
  const std::vector<int16_t>& counts = window ? window_counts_ : counts_;
  // The bars are coloured by the live levels: no more of them than there are.
  const auto points = std::min(counts.size(), trace_.live_levels.size());
  PaintHistogramBars(picture_, static_cast<int32_t>(points),
                     window ? window_counter_ : sweep_counter_, counts.data(),
                     trace_.live_levels.data(), colours_);
}

}  // namespace qv
