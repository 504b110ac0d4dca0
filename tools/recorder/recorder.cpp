#include "recorder/recorder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "core/control/channel_plans.h"
#include "core/display/sweep_figures.h"
#include "core/link/message_decoder.h"
#include "metrics/metrics_exporter.h"
#include "session/remote/scpi_instrument.h"

namespace qv {
namespace {

constexpr int kTickMs = 1000;
constexpr uint64_t kStepHz = 50000;
constexpr const char* kLineNames[2] = {"upper", "lower"};

}  // namespace

CRecorder::CRecorder(TimerFactory& timers, RecorderOptions options, std::string version, SayFn say,
                     FtdiDriver* usb_driver, QObject* parent)
    : QObject(parent),
      timers_(timers),
      options_(std::move(options)),
      version_(std::move(version)),
      say_(std::move(say)),
      alerts_(say_),
      session_(std::make_unique<InstrumentSession>(timers, alerts_, usb_driver, this)),
      tick_(timers.CreateTimer()) {
  session_->AddObserver(this);
  session_->SetLongestRetryMs(60000);
  if (options_.start_mhz && options_.stop_mhz) {
    session_->SetSpectrum(std::make_pair(*options_.start_mhz, *options_.stop_mhz));
  }
  LiveChannelUse& use = session_->ChannelUse();
  use.SetThreshold(options_.threshold_dbm * 16);
  use.SetWindowMs(options_.channel_span_ms);
  if (!options_.plan.empty()) use.SetPlan(ChannelPlanById(options_.plan));
  log_ = std::make_unique<RotatingLog>(timers, session_->Identity(), options_.log_dir,
                                       options_.rotate, options_.keep, say_);
  session_->SetLog(log_.get());
  tick_->SetCallback([this] { Tick(); });
}

CRecorder::~CRecorder() {
  Stop();
  session_->RemoveObserver(this);
}

bool CRecorder::Start(std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(options_.log_dir, code);
  if (::access(options_.log_dir.c_str(), W_OK | X_OK) != 0) {
    *error = "The log folder " + options_.log_dir + " cannot be written" +
             (code ? ": " + code.message() : std::string()) + ".";
    return false;
  }
  LimitMonitor& limits = session_->Limits();
  const std::pair<LimitKind, const std::string*> lines[] = {
      {LimitKind::kUpper, &options_.limit}, {LimitKind::kLower, &options_.limit_lower}};
  for (const auto& [kind, path] : lines) {
    if (path->empty()) continue;
    const std::string why = limits.Load(kind, *path);
    if (!why.empty()) {
      *error = why;
      return false;
    }
  }
  if (!options_.limit_events.empty() && !limits.OpenEventsFile(options_.limit_events, error)) {
    return false;
  }
  if (options_.metrics) {
    metrics_ = MetricsExporter::Start(options_.metrics->host, options_.metrics->port, version_,
                                      error);
    if (!metrics_) return false;
    say_("Metrics on http://" + options_.metrics->host + ":" + std::to_string(metrics_->Port()) +
         "/metrics");
  } else {
    metrics_ = MetricsExporter::Detached(version_);
  }
  metrics_->SetUp(false);
  for (const char* line : kLineNames) {
    if (!limits.Line(std::string(line) == "upper" ? LimitKind::kUpper : LimitKind::kLower).Empty()) {
      metrics_->SetLimitFailing(line, false);
    }
  }
  if (options_.scpi) {
    remote_ = std::make_unique<CRemoteServer>(
        ScpiClientFactory(*session_, this, options_.scpi_dir, version_));
    if (!remote_->Listen(options_.scpi->host, options_.scpi->port, error)) {
      remote_.reset();
      return false;
    }
    say_("Remote control on " + options_.scpi->host + ":" + std::to_string(remote_->Port()));
  }
  tick_->Start(kTickMs, /*single_shot=*/false);
  session_->Connect(options_.connect);
  return true;
}

bool CRecorder::StartLog(const std::string&, std::string* error) {
  *error = "The recorder logs by itself";
  return false;
}

bool CRecorder::Capture(const std::string&, std::string* error) {
  *error = "The recorder keeps no captures";
  return false;
}

void CRecorder::Stop() {
  tick_->Stop();
  session_->Disconnect();
  log_->Finish();
  session_->Limits().Finish();
}

void CRecorder::NextFile() {
  if (!log_->IsLogging() && !session_->Connected()) {
    say_("No file to begin anew: the Receiver is not connected.");
    return;
  }
  log_->Rotate();
  if (log_->IsLogging()) say_("Logging into " + log_->CurrentPath() + ".");
}

std::string CRecorder::StatusText() const {
  if (!session_->Connected()) return "Waiting for the Receiver";
  if (!log_->IsLogging()) return "Receiving; not logging (see the journal)";
  return "Logging into " + log_->CurrentPath();
}

void CRecorder::Connected() {
  if (session_->Reconnects() > reconnects_told_) {
    if (metrics_) metrics_->CountReconnect();
    reconnects_told_ = session_->Reconnects();
  }
  if (metrics_) metrics_->SetReceiverInfo(session_->SerialText(), session_->FirmwareText());
  if (log_->Begin()) say_("Logging into " + log_->CurrentPath() + ".");
  emit StatusChanged();
}

void CRecorder::Disconnected(bool) {
  // The file in use ends with the link; the next connection begins another.
  log_->Finish();
  if (metrics_) metrics_->SetUp(false);
  up_ = false;
  emit StatusChanged();
}

void CRecorder::WholeSweep(const TraceData& trace) {
  if (!metrics_) return;
  metrics_->CountSweep();
  const auto count = static_cast<size_t>(trace.StoredPoints());
  const double start_hz = double(trace.header.start) * kStepHz;
  const double step_hz = double(trace.header.sweep_word) * kStepHz;
  // The peak and the median are read once a scrape: worked out on the tick, from a copy, as the
  // record goes on filling with the next sweep.
  last_sweep_.assign(trace.live_sixteenths.data(), trace.live_sixteenths.data() + count);
  last_start_hz_ = start_hz;
  last_step_hz_ = step_hz;
  last_sweep_fresh_ = true;
  LimitMonitor& limits = session_->Limits();
  if (!limits.Active()) return;
  line_states_.OnSweep(limits.Line(LimitKind::kUpper), limits.Line(LimitKind::kLower),
                       SweepLevels{start_hz, step_hz, trace.live_sixteenths.data(), count});
  const LimitKind kinds[2] = {LimitKind::kUpper, LimitKind::kLower};
  for (size_t i = 0; i < 2; ++i) {
    if (limits.Line(kinds[i]).Empty()) continue;
    const LimitLineStates::State& state = line_states_.Of(kinds[i]);
    metrics_->SetLimitFailing(kLineNames[i], state.failing);
    for (; violations_told_[i] < state.violations; ++violations_told_[i]) {
      metrics_->CountLimitViolation(kLineNames[i]);
    }
  }
}

void CRecorder::Tick() {
  if (!metrics_) return;
  if (last_sweep_fresh_) {
    last_sweep_fresh_ = false;
    const SweepFigures figures = FiguresOf(last_sweep_.data(), last_sweep_.size(), scratch_);
    metrics_->SetLastSweep(figures.peak / 16.0,
                           last_start_hz_ + double(figures.peak_index) * last_step_hz_,
                           figures.median / 16.0);
  }
  const bool up = session_->Connected() && session_->SilentSeconds() < kSilenceWarningSeconds;
  if (up != up_) {
    up_ = up;
    metrics_->SetUp(up);
  }
  const LiveChannelUse& use = session_->ChannelUse();
  if (const ChannelPlan* plan = use.Plan()) {
    const std::vector<ChannelUse> figures = use.Figures(timers_.NowMs());
    std::vector<ChannelMetric> channels;
    for (size_t c = 0; c < figures.size() && c < plan->channels.size(); ++c) {
      if (!figures[c].Measured()) continue;
      channels.push_back({plan->channels[c].label, figures[c].UtilisationPercent() / 100.0,
                          figures[c].MeanDbm(), figures[c].MaxDbm()});
    }
    metrics_->SetChannels(std::string(plan->id), channels);
  } else {
    metrics_->SetChannels(std::string(), {});
  }
  const uint64_t bytes = log_->BytesWritten();
  if (bytes > bytes_told_) metrics_->AddLogBytes(bytes - bytes_told_);
  bytes_told_ = std::max(bytes_told_, bytes);
  for (; errors_told_ < log_->WriteErrors(); ++errors_told_) metrics_->CountLogWriteError();
}

}  // namespace qv
