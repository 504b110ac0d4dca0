#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app/alerts.h"
#include "core/app/recorder_options.h"
#include "core/app/timer.h"
#include "core/limits/line_states.h"
#include "session/instrument_session.h"
#include "session/remote/remote_host.h"
#include "session/remote/remote_server.h"
#include "session/rotating_log.h"

namespace qv {

class FtdiDriver;
class MetricsExporter;

// Where a recorder's messages go: one line each, for the journal.
using SayFn = std::function<void(const std::string&)>;

// Messages a session without windows would have shown in a box: said, never waited on.
class SaidAlerts : public Alerts {
 public:
  explicit SaidAlerts(SayFn say) : say_(std::move(say)) {}
  void Show(const std::string& text, const std::string& caption) override {
    say_(caption.empty() ? text : caption + ": " + text);
  }
  void Note(const std::string& text) override { say_(text); }

 private:
  SayFn say_;
};

// quorvalin-recorder: the session, its logs one file after another, the limit lines and the
// metrics, with nobody at a screen.
class CRecorder : public QObject, private SessionObserver, private RemoteHost {
  Q_OBJECT

 public:
  CRecorder(TimerFactory& timers, RecorderOptions options, std::string version, SayFn say,
            FtdiDriver* usb_driver = nullptr, QObject* parent = nullptr);
  ~CRecorder() override;

  // Opens the log folder, the limit lines, the events file and the metrics endpoint, then
  // connects. False, with one line in `error`, when it cannot start.
  bool Start(std::string* error);
  // Closes the log with its end record and the events file; the link closes.
  void Stop();
  // Closes the current file and begins the next (SIGHUP).
  void NextFile();

  InstrumentSession& Session() { return *session_; }
  RotatingLog& Log() { return *log_; }
  MetricsExporter& Metrics() { return *metrics_; }
  // The remote control server with --scpi; null without.
  CRemoteServer* Remote() { return remote_.get(); }
  // What the service manager shows as the unit's status.
  std::string StatusText() const;

 signals:
  void StatusChanged();

 private:
  // Once a second: link state, channel figures, log bytes and errors into the metrics.
  void Tick();
  // SessionObserver
  void Said(const std::string& line) override { say_(line); }
  void Connected() override;
  void Disconnected(bool lost) override;
  void WholeSweep(const TraceData& trace) override;
  // RemoteHost: the recorder's logs rotate by themselves and it keeps no captures.
  bool StartLog(const std::string& path, std::string* error) override;
  bool StopLog() override { return false; }
  bool Logging() const override { return false; }
  bool Capture(const std::string& path, std::string* error) override;

  TimerFactory& timers_;
  RecorderOptions options_;
  std::string version_;
  SayFn say_;
  SaidAlerts alerts_;
  std::unique_ptr<InstrumentSession> session_;
  std::unique_ptr<RotatingLog> log_;
  std::unique_ptr<MetricsExporter> metrics_;
  std::unique_ptr<CRemoteServer> remote_;  // its clients watch the session: gone before it
  std::unique_ptr<Timer> tick_;
  LimitLineStates line_states_;
  std::vector<int16_t> scratch_;
  std::vector<int16_t> last_sweep_;  // 1/16 dBm, for the tick's peak and median
  double last_start_hz_ = 0;
  double last_step_hz_ = 0;
  bool last_sweep_fresh_ = false;
  uint64_t reconnects_told_ = 0;
  uint64_t bytes_told_ = 0;
  uint64_t errors_told_ = 0;
  std::array<uint64_t, 2> violations_told_{};
  bool up_ = false;
};

}  // namespace qv
