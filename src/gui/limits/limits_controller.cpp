#include "gui/limits/limits_controller.h"

#include <QApplication>

#include "core/record/log_format.h"
#include "core/record/log_time.h"
#include "gui/app/app_settings.h"
#include "gui/record/recording_controller.h"

namespace qv {

namespace {

constexpr double kStepHz = 50000.0;

const char* KeyOf(LimitKind kind) { return kind == LimitKind::kUpper ? "Upper" : "Lower"; }

}  // namespace

CLimitsController::CLimitsController(TimerFactory& timers, Alerts& alerts,
                                     CRecordingController& recorder, LimitMonitor& monitor,
                                     QObject* parent)
    : QObject(parent), timers_(timers), alerts_(alerts), recorder_(recorder), monitor_(monitor) {
  monitor_.SetClock([this] {
    // A log's violations happened when it was recorded, not when it is replayed.
    std::optional<int64_t> clock = recorder_.PositionClock();
    if (!clock) clock = LogClockSeconds(LocalLogClock());
    return LimitTime{timers_.NowMs(), clock ? LogSecondsText(*clock) : "unknown"};
  });
  monitor_.SetActions(this);
  monitor_.SetChanged([this] { emit Changed(); });
  // A violation before a jump in a replay is not one with what fails after it.
  connect(&recorder_, &CRecordingController::Jumping, this, [this] { monitor_.Finish(); });
}

CLimitsController::~CLimitsController() {
  // The session's monitor outlives the controller.
  monitor_.SetActions(nullptr);
  monitor_.SetChanged(nullptr);
  monitor_.SetClock(nullptr);
}

bool CLimitsController::Load(LimitKind kind, const std::string& path) {
  if (const std::string error = monitor_.Load(kind, path); !error.empty()) {
    alerts_.Show(error, kLimitLinesCaption);
    return false;
  }
  Remember();
  return true;
}

void CLimitsController::Clear(LimitKind kind) {
  monitor_.Clear(kind);
  Remember();
}

void CLimitsController::SetOptions(const LimitOptions& options) {
  monitor_.SetOptions(options);
  Remember();
  emit Changed();
}

std::string CLimitsController::UseSettings(AppSettings& settings) {
  std::string problems;
  for (LimitKind kind : {LimitKind::kUpper, LimitKind::kLower}) {
    const QString path = settings.LimitSetting(KeyOf(kind)).toString();
    if (path.isEmpty()) continue;
    const std::string error = monitor_.Load(kind, path.toStdString());
    if (!error.empty()) problems += (problems.empty() ? "" : "\n") + error;
  }
  monitor_.SetOptions({settings.LimitSetting("Beep").toBool(),
                       settings.LimitSetting("Capture").toBool()});
  settings_ = &settings;
  Remember();  // a line that no longer reads is forgotten, so the message comes once
  emit Changed();
  return problems;
}

void CLimitsController::Remember() {
  if (settings_ == nullptr) return;
  for (LimitKind kind : {LimitKind::kUpper, LimitKind::kLower}) {
    settings_->SetLimitSetting(KeyOf(kind), QString::fromStdString(monitor_.Path(kind)));
  }
  settings_->SetLimitSetting("Beep", monitor_.Options().beep);
  settings_->SetLimitSetting("Capture", monitor_.Options().capture);
}

void CLimitsController::Beep() {
  QApplication::beep();
}

std::optional<CaptureKey> CLimitsController::Capture(const std::string& comment) {
  // Only into a capture file the user set: no message box in the middle of a violation.
  if (!recorder_.CaptureReady()) return std::nullopt;
  const std::optional<uint32_t> number = recorder_.TakeCapture(comment);
  if (!number) return std::nullopt;
  const std::string& path = recorder_.Captures().Path();
  return CaptureKey{path, *number, recorder_.Captures().Creations(path)};
}

void CLimitsController::Recomment(const CaptureKey& capture, const std::string& comment) {
  // A file made anew since holds other captures under the same numbers: leave them be.
  if (recorder_.Captures().Creations(capture.file) != capture.creation) return;
  recorder_.WriteCaptureComment(capture.file, capture.number, comment);
}

}  // namespace qv
