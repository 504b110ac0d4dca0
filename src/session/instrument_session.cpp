#include "session/instrument_session.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/app/status_panes.h"
#include "core/control/frequency_rules.h"
#include "core/record/log_format.h"
#include "core/record/log_time.h"
#include "link/app/console_messages.h"

namespace qv {
namespace {

constexpr uint64_t kStepHz = 50000;

}  // namespace

// Keeps the identity the log header needs, and hands every message to the log in use.
class InstrumentSession::LogForward : public ReceiveLog {
 public:
  LogForward(InstrumentSession& session) : session_(session) {}
  bool IsLogging() const override {
    return session_.log_ != nullptr && session_.log_->IsLogging();
  }
  void WriteMessageRecord(const uint8_t* message, size_t length) override {
    if (session_.log_ != nullptr) session_.log_->WriteMessageRecord(message, length);
  }
  void SetFirmwareBytes(const uint8_t* bytes, size_t count) override {
    session_.identity_.StoreFirmware(bytes, count);
    if (session_.log_ != nullptr) session_.log_->SetFirmwareBytes(bytes, count);
  }
  void SetSerialBytes(const uint8_t* bytes, size_t count) override {
    session_.identity_.StoreSerial(bytes, count);
    if (session_.log_ != nullptr) session_.log_->SetSerialBytes(bytes, count);
  }

 private:
  InstrumentSession& session_;
};

InstrumentSession::InstrumentSession(TimerFactory& timers, Alerts& alerts, FtdiDriver* usb_driver,
                                     QObject* parent)
    : QObject(parent),
      timers_(timers),
      alerts_(alerts),
      log_forward_(std::make_unique<LogForward>(*this)),
      ops_(state_, alerts, *this),
      sequencer_(timers, *this,
                 [this] {
                   qCDebug(lcHandshake) << "complete; setting the"
                                        << (ops_.Remembered().use_default ? "default" : "remembered")
                                        << "spectrum";
                   ops_.SendSettingsAfterHandshake();
                   if (ever_connected_) ++reconnects_;
                   ever_connected_ = true;
                   connected_ = true;
                   reconnect_.HandshakeCompleted();
                   for (SessionObserver* observer : observers_) observer->Connected();
                 }),
      trace_(std::make_unique<TraceData>()),
      sweeps_(*trace_, identity_, [this] { return plot_ ? plot_() : kHeadlessPlot; }),
      handler_(timers, *log_forward_, sweeps_, sequencer_, *this),
      link_(timers, usb_driver),
      reconnect_(timers, *this),
      limits_(
          [this] {
            const std::optional<int64_t> clock = LogClockSeconds(LocalLogClock());
            return LimitTime{timers_.NowMs(), clock ? LogSecondsText(*clock) : "unknown"};
          },
          *this) {
  handler_.SetConnection(&ops_);
  sweeps_.SetSweepComplete([this] { OnWholeSweep(); });
  connect(&link_, &SessionLink::MessageReceived, this, [this](const QByteArray& message) {
    OnReceiverMessage(reinterpret_cast<const uint8_t*>(message.constData()),
                      static_cast<size_t>(message.size()));
  });
  connect(&link_, &SessionLink::Lost, this, [this] {
    Say("The link to the Receiver went away.");
    ops_.CloseLink();
    for (SessionObserver* observer : observers_) observer->Disconnected(true);
    reconnect_.LinkLost();
  });
  // However the link closes (a loss, the handshake's time-out, Disconnect), the session follows.
  ops_.AddLinkClosedListener([this] {
    connected_ = false;
    link_.Close();
    if (!closing_) reconnect_.LinkClosed();
  });
  // Nobody is there to press Reconnect.
  reconnect_.SetUnattended(Reconnector::kLongestRetryMs);
}

InstrumentSession::~InstrumentSession() {
  closing_ = true;
  // Nothing queued may run against members that are going away.
  sequencer_.Cancel();
  handler_.SetConnection(nullptr);
  limits_.Finish();
}

void InstrumentSession::SetSpectrum(std::optional<std::pair<double, double>> start_stop_mhz) {
  RememberedSpectrum remembered = ops_.Remembered();
  if (start_stop_mhz) {
    const auto steps = [](double mhz) { return static_cast<uint32_t>(std::lround(mhz * 20.0)); };
    remembered.spectrum = DefaultSpectrum();
    remembered.spectrum.start = steps(start_stop_mhz->first);
    remembered.spectrum.span = steps(start_stop_mhz->second) - remembered.spectrum.start;
    remembered.use_default = false;
  } else {
    remembered.spectrum = DefaultSpectrum();
    remembered.use_default = true;
  }
  ops_.SetRemembered(remembered);
}

void InstrumentSession::Connect(const LinkTarget& target) {
  reconnect_.Begin(target);
}

void InstrumentSession::Disconnect() {
  closing_ = true;
  reconnect_.Stop();
  sequencer_.Cancel();
  ops_.CloseLink();
  closing_ = false;
}

void InstrumentSession::Reopen(const LinkTarget& target) {
  sequencer_.Cancel();
  ops_.SetLink(state_.interface_index, nullptr);
  state_.interface_index = target.interface_index;
  // As the connection sheet's active page would: the progress texts, the open, the requests.
  QueueConnectStep(
      sequencer_, true, target.interface_index,
      [this, target](std::function<void(bool)> done) {
        link_.Open(target, [this, done](bool opened, const std::string& why) {
          if (opened) {
            ops_.SetLink(state_.interface_index, link_.Link());
          } else {
            Say("The Receiver could not be reached: " + why + ".");
            reconnect_.AttemptFailed();
          }
          done(opened);
        });
      },
      [this] {
        state_.connected = 1;
        reconnect_.LinkOpened(link_.Target());
        QueueIdentityRequests(sequencer_, ops_, handler_);
      });
}

void InstrumentSession::ReconnectChanged() {
  const std::string text = reconnect_.Text();
  if (!text.empty() && text != last_reconnect_text_) Say(text);
  last_reconnect_text_ = text;
}

void InstrumentSession::OnReceiverMessage(const uint8_t* message, size_t length) {
  handler_.OnReceiverMessage(message, length);
}

void InstrumentSession::Show(GraphView graph) {
  view_ = graph.view;
  graph_ = graph.graph;
  trace_->SetOwner(graph.trace_owner);
  log_ = graph.log;
  plot_ = std::move(graph.plot);
  counts_ = std::move(graph.counts);
}

void InstrumentSession::RemoveObserver(SessionObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void InstrumentSession::OnWholeSweep() {
  if (counts_ && !counts_()) return;
  const TraceData& trace = *trace_;
  const auto points = static_cast<size_t>(trace.StoredPoints());
  const double start_hz = double(trace.header.start) * kStepHz;
  const double step_hz = double(trace.header.sweep_word) * kStepHz;
  if (limits_.Active()) {
    limits_.OnSweep(SweepLevels{start_hz, step_hz, trace.live_sixteenths.data(), points});
  }
  channel_use_.AddSweep(channel_clock_ ? channel_clock_() : timers_.NowMs(), uint64_t{trace.header.start} * kStepHz,
                        uint64_t{trace.header.sweep_word} * kStepHz, trace.live_sixteenths.data(),
                        std::min<uint32_t>(trace.points_received, trace.StoredPoints()));
  for (SessionObserver* observer : observers_) observer->WholeSweep(trace);
}

void InstrumentSession::Say(const std::string& line) {
  for (SessionObserver* observer : observers_) observer->Said(line);
}

void InstrumentSession::SetStatusPaneText(int pane_id, const std::string& text) {
  if (view_ != nullptr) {
    view_->SetStatusPaneText(pane_id, text);
    return;
  }
  // The firmware and serial panes are the identity's; the rest is for a screen.
  if ((pane_id == kPaneFirmware || pane_id == kPaneSerial) && !text.empty()) Say(text);
}

void InstrumentSession::SetModeFlags(bool spectrum_mode, bool power_trigger_mode) {
  if (view_ != nullptr) view_->SetModeFlags(spectrum_mode, power_trigger_mode);
}

void InstrumentSession::TriggerArrived() {
  if (view_ != nullptr) view_->TriggerArrived();
}

void InstrumentSession::Repaint() {
  if (view_ != nullptr) view_->Repaint();
}

void InstrumentSession::SetDataSilence(int seconds, bool waiting_for_trigger) {
  if (view_ != nullptr) view_->SetDataSilence(seconds, waiting_for_trigger);
}

void InstrumentSession::Quit(int exit_code) {
  if (view_ != nullptr) {
    view_->Quit(exit_code);
    return;
  }
  // Low battery: the Receiver is about to switch itself off; a recorder waits for it to return.
  Say("The Receiver reports a low battery (it would end a program at the screen with status " +
      std::to_string(exit_code) + ").");
}

void InstrumentSession::ResetTraces() {
  if (graph_ != nullptr) {
    graph_->ResetTraces();
  } else {
    trace_->ResetTraces();
  }
}

void InstrumentSession::ClearModeFlags() {
  // New settings pause the stream; the watch starts again with the next spectrum sweep.
  handler_.StopDataWatch();
  if (graph_ != nullptr) graph_->ClearModeFlags();
}

void InstrumentSession::StartTriggerClock() {
  handler_.StartTriggerClock();
}

void InstrumentSession::ClearAreaSelected() {
  if (graph_ != nullptr) graph_->ClearAreaSelected();
}

void InstrumentSession::AwaitFirstSweep(const SpectrumSettings& sent, int16_t reference_level,
                                        bool power_trigger) {
  if (graph_ != nullptr) graph_->AwaitFirstSweep(sent, reference_level, power_trigger);
}

SweepWindow InstrumentSession::CurrentSweep() const {
  if (graph_ != nullptr) return graph_->CurrentSweep();
  return SweepWindow{trace_->header.start, trace_->header.points};
}

void InstrumentSession::LinkClosed() {
  handler_.OnLinkClosed();
  if (graph_ != nullptr) graph_->LinkClosed();
}

void InstrumentSession::SetProgressText(const std::string& text) {
  if (progress_ != nullptr) {
    progress_->SetProgressText(text);
    return;
  }
  if (!text.empty()) Say(text);
}

void InstrumentSession::ShowProgress() {
  if (progress_ != nullptr) progress_->ShowProgress();
}

void InstrumentSession::HideProgress() {
  if (progress_ != nullptr) progress_->HideProgress();
}

std::optional<CaptureKey> InstrumentSession::Capture(const std::string&) {
  return std::nullopt;
}

}  // namespace qv
