#include "gui/display/display.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace qv {

CDisplay::CDisplay(TimerFactory& timers, HandshakeSteps& handshake, QWidget* parent)
    : QWidget(parent),
      trace_(std::make_unique<TraceData>(this)),
      sweeps_(*trace_, identity_, [this] { return GraphRect(); }),
      handler_(timers, *this, sweeps_, handshake, *this) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

CDisplay::~CDisplay() = default;

PlotRect CDisplay::GraphRect() const {
  const QRect r = rect();
  return PlotRect{r.left(), r.top(), r.right() + 1, r.top() + (r.height() * 3) / 4};
}

void CDisplay::OnReceiverMessage(const QByteArray& message) {
  handler_.OnReceiverMessage(reinterpret_cast<const uint8_t*>(message.constData()),
                             static_cast<size_t>(message.size()));
}

void CDisplay::SetSelectionMode(bool on) {
  if (selection_mode_ == on) return;
  selection_mode_ = on;
  emit FlagsChanged();
}

bool CDisplay::StartPlayback() {
  if (playing_back_) return true;
  if (!playback_starter_ || !playback_starter_()) return false;
  playing_back_ = true;
  playback_paused_ = false;
  emit FlagsChanged();
  return true;
}

void CDisplay::PausePlayback() {
  if (!playing_back_) return;
  playback_paused_ = true;
  repaint();
  emit FlagsChanged();
}

void CDisplay::ResumePlayback() {
  if (!playing_back_) return;
  playback_paused_ = false;
  emit FlagsChanged();
}

void CDisplay::StopRecordingOrPlayback() {
  recording_ = false;
  playing_back_ = false;
  playback_paused_ = false;
  fast_forward_ = false;
  fast_rewind_ = false;
  emit FlagsChanged();
}

bool CDisplay::ToggleFastForward() {
  fast_rewind_ = false;
  fast_forward_ = playing_back_ && !fast_forward_;
  return fast_forward_;
}

bool CDisplay::ToggleFastRewind() {
  fast_forward_ = false;
  fast_rewind_ = playing_back_ && !fast_rewind_;
  return fast_rewind_;
}

void CDisplay::SetStatusPaneText(int pane_id, const std::string& text) {
  emit StatusPaneTextChanged(pane_id, QString::fromStdString(text));
}

void CDisplay::SetModeFlags(bool spectrum_mode, bool power_trigger_mode) {
  const bool changed = spectrum_mode != spectrum_mode_ || power_trigger_mode != power_trigger_mode_;
  spectrum_mode_ = spectrum_mode;
  power_trigger_mode_ = power_trigger_mode;
  if (changed) emit FlagsChanged();
}

void CDisplay::TriggerArrived() {}

void CDisplay::Repaint() {
  repaint();
}

void CDisplay::Quit(int exit_code) {
  emit QuitRequested(exit_code);
}

void CDisplay::ResetTraces() {
  trace_->ResetTraces();
}

void CDisplay::ClearModeFlags() {
  live_shown_ = true;
  SetModeFlags(false, false);
}

void CDisplay::StartTriggerClock() {
  handler_.TriggerClock().Start(kTriggerClockMs);
}

void CDisplay::ClearAreaSelected() {
  if (!area_selected_) return;
  area_selected_ = false;
  emit FlagsChanged();
}

SweepWindow CDisplay::CurrentSweep() const {
  return SweepWindow{trace_->header.start, trace_->header.points};
}

void CDisplay::SetFirmwareBytes(const uint8_t* bytes, size_t count) {
  identity_.StoreFirmware(bytes, count);
}

void CDisplay::SetSerialBytes(const uint8_t* bytes, size_t count) {
  identity_.StoreSerial(bytes, count);
}

void CDisplay::paintEvent(QPaintEvent*) {
  // A plain picture of the live trace; the full graph with its grid and legends replaces it.
  QImage back(size(), QImage::Format_RGB32);
  back.fill(Qt::black);
  QPainter painter(&back);
  const TraceData& t = *trace_;
  const int n = static_cast<int>(std::min<uint32_t>(t.points_received, kMaxPoints));
  const int width = std::max(1, this->width() - kPlotLeftMargin);
  if (n > 1 && live_shown_) {
    QPolygon line(n);
    for (int j = 0; j < n; ++j) {
      line[j] =
          QPoint(kPlotLeftMargin + static_cast<int>(static_cast<int64_t>(j) * width / (n - 1)),
                 t.live_y[j]);
    }
    painter.setPen(QPen(QColor(0, 255, 0), 1));
    painter.drawPolyline(line);
  }
  painter.end();
  QPainter(this).drawImage(0, 0, back);
}

}  // namespace qv
