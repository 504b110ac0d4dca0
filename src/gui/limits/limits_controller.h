#pragma once

#include <QObject>
#include <string>

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/display/trace_data.h"
#include "core/limits/limit_monitor.h"

namespace qv {

class AppSettings;

// The caption of every message about limit lines.
inline constexpr char kLimitLinesCaption[] = "Limit Lines";
class CRecordingController;

// The graph's limit lines: what the page and the command line load, each complete sweep
// checked, and a violation's start turned into a beep or an instant capture as chosen.
class CLimitsController : public QObject, public LimitActions {
  Q_OBJECT

 public:
  // `monitor` is the session's; the controller sets off its actions and keeps its lines.
  CLimitsController(TimerFactory& timers, Alerts& alerts, CRecordingController& recorder,
                    LimitMonitor& monitor, QObject* parent = nullptr);
  ~CLimitsController() override;

  LimitMonitor& Monitor() { return monitor_; }
  const LimitMonitor& Monitor() const { return monitor_; }

  // A line chosen by the user: a file that does not read gets one message naming the row and the
  // line in use stays. Remembered when settings are in use.
  bool Load(LimitKind kind, const std::string& path);
  void Clear(LimitKind kind);
  void SetOptions(const LimitOptions& options);

  // From now on the lines and options are remembered in `settings`; what the last run left is
  // loaded. Files that no longer read are forgotten and returned as one message (empty when
  // all read), for the caller to show once the window is up.
  std::string UseSettings(AppSettings& settings);

  // LimitActions
  void Beep() override;
  std::optional<CaptureKey> Capture(const std::string& comment) override;
  void Recomment(const CaptureKey& capture, const std::string& comment) override;

 signals:
  // Lines, verdict or events changed: the page and the graph follow.
  void Changed();

 private:
  void Remember();

  TimerFactory& timers_;
  Alerts& alerts_;
  CRecordingController& recorder_;
  LimitMonitor& monitor_;
  AppSettings* settings_ = nullptr;
};

}  // namespace qv
