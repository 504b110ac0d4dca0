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
  renderer_.SetGradient(range_.gradient());
  // Shown from the next repaint; the last copy is kept, so the picture follows at once.
  pending_ = true;
  frame_->update();
}

void CSpectrogramDialog::PaintPicture(const QSize& size) {
  if (picture_.size() != size) {
    picture_ = QImage(size, QImage::Format_RGB32);
    pending_ = true;
  }
  if (!pending_) return;
  if (history_ != nullptr) {
    slots_.resize(static_cast<size_t>(points_) * kHistoryDepth);
    history_->CopySlots(points_, slots_.data());
    history_ = nullptr;
  }
  renderer_.Render(picture_, slots_.empty() ? nullptr : slots_.data(), points_);
  pending_ = false;
}

}  // namespace qv
