#include "gui/display/display.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "core/app/connection_ops.h"
#include "core/app/status_panes.h"
#include "core/display/channels.h"
#include "core/display/first_sweep_wait.h"
#include "core/display/graph_mouse.h"
#include "core/display/graph_texts.h"
#include "core/display/marker_step.h"
#include "core/display/peak_marker.h"
#include "core/display/peak_search.h"
#include "core/display/zoom.h"
#include "core/ui/command_keys.h"
#include "gui/display/channel_plan_source.h"
#include "gui/display/graph_painter.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/marker_frequency_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/display/trace_pages.h"
#include "gui/limits/limits_controller.h"
#include "gui/limits/limits_page.h"
#include "gui/record/time_window.h"
#include "gui/trigger/trigger_page.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

CDisplay::CDisplay(TimerFactory& timers, InstrumentSession& session, Alerts& alerts, QWidget* parent)
    : QWidget(parent),
      session_(session),
      trace_(&session.Trace()),
      density_(timers),
      recorder_(std::make_unique<CRecordingController>(timers, alerts, *this, session.Identity(),
                                                       this)),
      limits_(std::make_unique<CLimitsController>(timers, alerts, *recorder_, session.Limits())),
      frames_(timers, [this] {
        // Synchronous: the first block after a quiet spell shows at once, and a frame's
        // paint is not left to the next pass of a loop busy with a fast link. The side
        // panels over the graph do not change with a sweep and are left as they are.
        repaint(UncoveredRegion());
        spectrogram_->ShowPending();
        histogram_->ShowPending();
      }) {
  // A whole sweep, its own header still in the record, is checked against the limits and
  // counted by the channel use (the session), and by the density view (here); a log's sweep only
  // the first time it is shown (rewinding, stepping back or jumping back shows sweeps again).
  session_.Show({this, this, this, recorder_.get(), [this] { return GraphRect(); },
                 [this] { return recorder_->CountsSweep(); }});
  session_.AddObserver(this);
  trace_->SetResetListener(&density_);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  // The frequency read-out follows the pointer without a button held.
  setMouseTracking(true);
  menu_runner_ = [](QMenu& menu, const QPoint& at) { return menu.exec(at); };
  dialog_runner_ = [](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
  alerts_ = &alerts;
  connect(limits_.get(), &CLimitsController::Changed, this, [this] { Repaint(); });
  panels_ = std::make_unique<CSidePanels>(*trace_, state_, timers, this);
  panels_->AddPage(new CLimitsPage(panels_->Context(), *limits_, this), kTabLeft);
  panels_->Dock(rect());
  spectrogram_ = new CSpectrogramDialog(this);
  spectrogram_->SetClearHistory([this] { trace_->ClearSpectrogramHistory(); });
  spectrogram_->SetAxesShown(state_.frequency_axis);
  histogram_ = new CHistogramDlg(*trace_, this);
  connect(recorder_.get(), &CRecordingController::FlagsChanged, this, &CDisplay::FlagsChanged);
  // The time since the last trigger: graph timer 2 ticks the trigger page's clock.
  CTriggerDialog* trigger = panels_->Trigger();
  session_.Handler().TriggerClock().SetCallback([this, trigger] {
    trigger->Tick();
    update();
  });
  connect(trigger, &CTriggerDialog::TriggerClockStartRequested, this,
          [this] { StartTriggerClock(); });
  connect(trigger, &CTriggerDialog::TextsChanged, this, [this] { update(); });
  // Hiding, freezing or recolouring a trace shows at once, not only with the next sweep (there
  // may be none while the trigger waits or playback is paused).
  for (const auto* stack : {&panels_->LeftStack(), &panels_->RightStack()}) {
    for (CTabDialog* page : *stack) {
      if (auto* peak = qobject_cast<CPeakHoldTraceDialog*>(page)) {
        connect(peak, &CPeakHoldTraceDialog::TracesChanged, this, [this] { update(); });
      } else if (auto* averaging = qobject_cast<CAveragingPage*>(page)) {
        connect(averaging, &CAveragingPage::TracesChanged, this, [this] { update(); });
      } else if (auto* colour = qobject_cast<CTraceAdjustment*>(page)) {
        connect(colour, &CTraceAdjustment::TracesChanged, this, [this] { update(); });
      }
    }
  }
  panels_->Context().spectrogram = spectrogram_;
  panels_->Context().histogram = histogram_;
  histogram_->SetReset([this] {
    trace_->sweep_counter = 0;
    std::fill(trace_->histogram_counts.begin(), trace_->histogram_counts.end(), int16_t{0});
  });
}

int16_t CDisplay::HistogramThreshold() const {
  return histogram_->Threshold();
}

void CDisplay::OnSpectrogramUpdate(const SpectrogramHistory& history, int32_t points) {
  spectrogram_->Update(history, points);
  spectrogram_->SetSweepAxes(trace_->header.start, trace_->header.sweep_word, FastRewind());
}

void CDisplay::OnBandPresetStart(uint32_t band_start) {
  panels_->AddPresetPages(band_start);
}

void CDisplay::OnHistogramUpdate(int32_t points, int16_t sweep_counter, const int16_t* counts) {
  histogram_->Update(points, sweep_counter, counts);
}

CDisplay::~CDisplay() {
  // The window outlives the record it shows until Qt deletes the children.
  spectrogram_->ForgetHistory();
  session_.RemoveObserver(this);
  session_.Show({});
}

void CDisplay::WholeSweep(const TraceData& trace) {
  recorder_->OnWholeSweep();  // a capture asked for while it arrived
  density_.OnSweep(trace);
}

PlotRect CDisplay::GraphRect() const {
  return Geometry().LevelPlot();
}

GraphGeometry CDisplay::Geometry() const {
  const PlotRect a = AreaRect();
  return GraphGeometry(qv::GraphRect{a.left, a.top, a.right, a.bottom}, trace_->StoredPoints(),
                       height());
}

PlotRect CDisplay::AreaRect() const {
  // The graph fills the view; without one it stands for itself.
  const QRect view = parentWidget() != nullptr
                         ? QRect(mapFromParent(QPoint(0, 0)), parentWidget()->size())
                         : rect();
  return PlotRect{view.left(), view.top(), view.left() + view.width(), view.top() + view.height()};
}

void CDisplay::OnReceiverMessage(const QByteArray& message) {
  session_.OnReceiverMessage(reinterpret_cast<const uint8_t*>(message.constData()),
                             static_cast<size_t>(message.size()));
}

void CDisplay::SetSelectionMode(bool on) {
  if (state_.selection_mode == on) return;
  qv::SetSelectionMode(state_, on);
  emit FlagsChanged();
  Repaint();
}

void CDisplay::ZoomIn(CConnectionOps& ops) {
  qv::ZoomIn(state_, ops.CurrentSweep(), ops);
  emit FlagsChanged();
}

void CDisplay::ZoomOut(CConnectionOps& ops) {
  qv::ZoomOut(state_, ops);
  emit FlagsChanged();
}

void CDisplay::OnMenuCommand(int command) {
  switch (command) {
    case kCmdMarkerToPeak:
      MarkerToPeak();
      return;
    case kCmdNextPeak:
      MarkerToNextPeak();
      return;
    case kCmdMarkerToFrequency:
      AskMarkerFrequency();
      return;
    default:
      break;
  }
  // No repaint: the next sweep shows the channels.
  if (ChannelMenuCommand(trace_->channels, state_, command)) emit FlagsChanged();
}

bool CDisplay::MarkerToPeak() {
  return Placed(qv::MarkerToPeak(*trace_, state_, Geometry()));
}

bool CDisplay::MarkerToNextPeak() {
  return Placed(qv::MarkerToNextPeak(*trace_, state_, Geometry()));
}

bool CDisplay::MarkerToFrequency(double mhz) {
  return Placed(qv::MarkerToFrequency(*trace_, state_, Geometry(), mhz));
}

bool CDisplay::StepMarker(int steps) {
  return Placed(StepPeakMarker(*trace_, state_, Geometry(), steps));
}

bool CDisplay::Placed(bool moved) {
  if (moved) update();
  return moved;
}

void CDisplay::AskMarkerFrequency() {
  const SweepHeader& hd = trace_->header;
  const int32_t points = trace_->StoredPoints();
  if (points <= 0) return;
  const double low = PointFrequency(hd.start, 0, hd.sweep_word);
  const double high = PointFrequency(hd.start, points - 1, hd.sweep_word);
  const MarkerRecord& marker = PeakMarker(*trace_, state_);
  CMarkerFrequencyDialog dialog(low, high, marker.a_placed ? marker.a_frequency : (low + high) / 2,
                                this);
  if (!dialog_runner_(dialog)) return;
  const std::optional<double> mhz = dialog.Frequency();
  if (!mhz || !MarkerToFrequency(*mhz)) {
    alerts_->Show(QStringLiteral("Enter a frequency from %1 to %2 MHz.")
                      .arg(low, 0, 'f', 2)
                      .arg(high, 0, 'f', 2)
                      .toStdString(),
                  "Marker to Frequency");
  }
}

void CDisplay::SetFrequencyAxisShown(bool shown) {
  if (state_.frequency_axis == shown) return;
  state_.frequency_axis = shown;
  spectrogram_->SetAxesShown(shown);
  update();
}

std::unique_ptr<QMenu> CDisplay::BuildContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  const auto add_peak_items = [&] {
    for (const auto& [text, command] : {std::pair{"Marker to Peak", kCmdMarkerToPeak},
                                        std::pair{"Next Peak", kCmdNextPeak},
                                        std::pair{"Marker to Frequency...", kCmdMarkerToFrequency}}) {
      const std::string_view keys = KeysOf(command);
      menu->addAction(QString::fromLatin1(text) + QLatin1Char('\t') +
                      QString::fromLatin1(keys.data(), static_cast<qsizetype>(keys.size())))
          ->setData(command);
    }
  };
  // Outside selection mode the menu holds the peak commands only.
  if (!state_.selection_mode) {
    add_peak_items();
    return menu;
  }
  for (int n = 1; n <= kChannelCount; ++n) {
    QAction* action = menu->addAction(QStringLiteral("Channel %1").arg(n));
    action->setData(kChannelMenuCommandBase + n - 1);
    action->setCheckable(true);
    action->setChecked(ChannelActive(trace_->channels[n - 1]));
  }
  menu->addAction(QStringLiteral("Clear All"))->setData(kCmdClearAllChannels);
  menu->addAction(QStringLiteral("Clear Selection"))->setData(kCmdClearSelection);
  menu->addSeparator();
  add_peak_items();
  return menu;
}

void CDisplay::EndPrinting() {
  state_.printing = false;
  update();
}

void CDisplay::SetStatusPaneText(int pane_id, const std::string& text) {
  emit StatusPaneTextChanged(pane_id, QString::fromStdString(text));
}

void CDisplay::SetModeFlags(bool spectrum_mode, bool power_trigger_mode) {
  const bool changed =
      spectrum_mode != state_.spectrum_mode || power_trigger_mode != state_.power_trigger_mode;
  if (changed && !spectrum_mode && !power_trigger_mode) KeepLastPicture();
  if (spectrum_mode || power_trigger_mode) EndFirstSweepWait(state_);
  state_.spectrum_mode = spectrum_mode;
  state_.power_trigger_mode = power_trigger_mode;
  if (changed) emit FlagsChanged();
}

void CDisplay::TriggerArrived() {
  panels_->Trigger()->TriggerArrived();
}

void CDisplay::Repaint() {
  frames_.Invalidate();
}

QRegion CDisplay::TabsRegion() const {
  QRegion region;
  // Tabs paint every pixel inside their mask, so nothing of the graph shows through them.
  for (const CTabDialog* tab : findChildren<CTabDialog*>(Qt::FindDirectChildrenOnly)) {
    if (!tab->isVisible()) continue;
    const QRegion mask = tab->mask();
    region += mask.isEmpty() ? QRegion(tab->geometry()) : mask.translated(tab->pos());
  }
  return region & rect();
}

QRegion CDisplay::UncoveredRegion() const {
  return QRegion(rect()) - TabsRegion();
}

void CDisplay::Quit(int exit_code) {
  emit QuitRequested(exit_code);
}

void CDisplay::SetDataSilence(int seconds, bool waiting_for_trigger) {
  state_.silent_seconds = seconds;
  state_.waiting_for_trigger = waiting_for_trigger;
  SetStatusPaneText(kPaneMessage, ReceiverQuietText(seconds, waiting_for_trigger));
  update();
}

void CDisplay::ResetTraces() {
  KeepLastPicture();
  trace_->ResetTraces();
}

void CDisplay::ClearModeFlags() {
  recorder_->ShowPlaybackEnd({});
  state_.live_shown = true;
  EndFirstSweepWait(state_);
  SetModeFlags(false, false);
}

void CDisplay::LinkClosed() {
  // No sweep comes over a closed link; the wait's picture does not stay behind.
  if (!EndFirstSweepWait(state_)) return;
  BlankKeptPicture();
  update();
}

void CDisplay::AwaitFirstSweep(const SpectrumSettings& sent, int16_t reference_level,
                               bool power_trigger) {
  qv::AwaitFirstSweep(state_, trace_->header, sent, reference_level, power_trigger);
  session_.Handler().AwaitFirstSweep();
  update();
}

void CDisplay::StartTriggerClock() {
  session_.Handler().StartTriggerClock();
}

void CDisplay::ClearAreaSelected() {
  if (!state_.area_selected) return;
  state_.area_selected = false;
  emit FlagsChanged();
  Repaint();
}

SweepWindow CDisplay::CurrentSweep() const {
  return SweepWindow{trace_->header.start, trace_->header.points};
}

GraphScene CDisplay::Scene() const {
  const PlotRect a = AreaRect();
  // The legend shows the threshold the Receiver was given, not a copy kept beside it.
  const CConnectionOps* ops = panels_->Context().ops;
  const int threshold = ops != nullptr ? ops->State().trigger_threshold : ReceiverState{}.trigger_threshold;
  return GraphScene{*trace_, state_, rect(), QRect(a.left, a.top, a.right - a.left, a.bottom - a.top),
                    session_.Handler().LowBatteryCountdown(), threshold,
                    time_window_ != nullptr ? &time_window_->Columns(trace_->header) : nullptr,
                    density_.On() ? &density_ : nullptr, &limits_->Monitor(),
                    channel_plans_ != nullptr ? channel_plans_->Figures() : nullptr};
}

bool CDisplay::PaintPicture(QImage& image, GraphTextLog* texts) const {
  return PaintGraph(image, Scene(), texts);
}

void CDisplay::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (const QScreen* shown_on = screen()) frames_.SetPeriod(FramePeriodMs(shown_on->refreshRate()));
}

void CDisplay::KeepLastPicture() {
  if (!picture_.Kept()) picture_.Keep(Scene());
}

void CDisplay::paintEvent(QPaintEvent*) {
  frames_.Painted();
  const GraphScene scene = Scene();
  QPainter window(this);
  // The picture goes straight into the window's pixels rather than through a copy of 8 MB a
  // frame; the side-panel tabs over it keep theirs.
  const bool sweeping = state_.spectrum_mode || state_.power_trigger_mode || state_.replay_drawing;
  if ((sweeping && picture_.PaintIntoWindow(window, size(), TabsRegion(), scene)) ||
      picture_.PaintThroughBuffer(window, size(), scene)) {
    DrawGlyphs(window, scene);
  }
}

void CDisplay::DrawGlyphs(QPainter& window, const GraphScene& scene) {
  // Glyphs go over the picture; while logging, each one drawn goes into the log's marker block
  // with its x.
  recorder_->NoteDrawnGlyphs(PaintMarkerGlyphs(window, scene));
}

void CDisplay::resizeEvent(QResizeEvent*) {
  panels_->Dock(rect());
}

void CDisplay::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const bool was_selected = state_.area_selected;
  // The texts follow the click at once, with or without sweeps arriving.
  MouseLeftDown(state_, trace_->markers,
                MouseSweep{trace_->header.start, trace_->header.sweep_word,
                           trace_->live_sixteenths.data()},
                Geometry(), at.x(), at.y());
  if (state_.area_selected != was_selected) emit FlagsChanged();
  Repaint();
}

void CDisplay::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool was_selected = state_.area_selected;
  const bool was_inside = state_.mouse_inside;
  // Only the left button, with no key held, stretches the selection.
  const bool left_only = event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier;
  MouseMove(state_, MouseSweep{trace_->header.start, trace_->header.sweep_word}, Geometry(), at.x(),
            at.y(), left_only);
  if (state_.area_selected != was_selected) emit FlagsChanged();
  // The read-out follows the pointer, once a frame, sweeps or not.
  if (was_inside || state_.mouse_inside) Repaint();
}

void CDisplay::leaveEvent(QEvent*) {
  if (!state_.mouse_inside) return;
  state_.mouse_inside = false;
  Repaint();
}

void CDisplay::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) return;
  std::unique_ptr<QMenu> menu = BuildContextMenu();
  const QAction* chosen = menu_runner_(*menu, event->globalPosition().toPoint());
  if (chosen != nullptr) OnMenuCommand(chosen->data().toInt());
}

}  // namespace qv
