#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "core/limits/limit_check.h"
#include "core/limits/limit_line.h"

namespace qv {

// An instant capture: its file, its number there, and which making of that file (a file made
// anew numbers from 0 again).
struct CaptureKey {
  std::string file;
  uint32_t number = 0;
  uint64_t creation = 0;
};

// What a violation's start may set off, as the user chose.
class LimitActions {
 public:
  virtual ~LimitActions() = default;
  virtual void Beep() = 0;
  // An instant capture of the failing sweep whose comment names the event; its key when taken.
  virtual std::optional<CaptureKey> Capture(const std::string& comment) = 0;
  // The event ended: the capture's comment names it as it ended, with its worst point.
  virtual void Recomment(const CaptureKey& capture, const std::string& comment) = 0;
};

struct LimitOptions {
  bool beep = false;
  bool capture = false;
};

// The limit lines of a run and what their check leads to: each complete sweep is checked, the
// violations are kept, a violation's start sets off the chosen actions, and each violation is
// written to the events file as it ends (and at Finish).
class LimitMonitor {
 public:
  LimitMonitor(std::function<LimitTime()> now, LimitActions& actions);

  // A program with windows sets off its own actions (a beep, a capture) and tells a replay's
  // violations by the log's clock.
  // Null sets off nothing (the actions' owner is going away).
  void SetActions(LimitActions* actions) { actions_ = actions; }
  void SetClock(std::function<LimitTime()> now) { now_ = std::move(now); }

  // Reads the line from `path`; on an error (returned, one line) the old line stays.
  std::string Load(LimitKind kind, const std::string& path);
  void Clear(LimitKind kind);
  const LimitLine& Line(LimitKind kind) const { return lines_[Index(kind)]; }
  const std::string& Path(LimitKind kind) const { return paths_[Index(kind)]; }
  bool Active() const { return !lines_[0].Empty() || !lines_[1].Empty(); }

  // Creates (truncates) the events file and writes its header; false with `error` set.
  bool OpenEventsFile(const std::string& path, std::string* error);

  void SetOptions(const LimitOptions& options) { options_ = options; }
  const LimitOptions& Options() const { return options_; }

  // One complete sweep.
  void OnSweep(const SweepLevels& sweep);
  // The verdict on the last sweep checked since the lines last changed.
  const std::optional<SweepVerdict>& Last() const { return last_; }

  // Ends an open violation and writes it (at quit, or a jump in a replay).
  void Finish();
  // Forgets the listed events; an open one ends first, so the events file keeps it.
  void ClearEvents();
  const std::vector<LimitEvent>& Events() const { return violations_.Events(); }
  uint64_t EventsDropped() const { return violations_.Dropped(); }
  // Some sweep failed during this run (kept when the list is cleared).
  bool AnyViolation() const { return any_violation_; }
  // The events file could not be written; empty while it could.
  const std::string& EventsFileError() const { return events_error_; }

  // Told after every change of the lines, the verdict or the events.
  void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  static size_t Index(LimitKind kind) { return kind == LimitKind::kUpper ? 0 : 1; }
  void LinesChanged();
  // The last event ended: written to the events file, its capture named again.
  void Ended();
  void Notify() {
    if (changed_) changed_();
  }

  std::function<LimitTime()> now_;
  LimitActions* actions_;
  std::array<LimitLine, 2> lines_;
  std::array<std::string, 2> paths_;
  LimitOptions options_;
  LimitViolations violations_;
  std::optional<SweepVerdict> last_;
  bool any_violation_ = false;
  std::optional<CaptureKey> capture_;  // of the open event
  std::ofstream events_file_;
  std::string events_path_;
  std::string events_error_;
  std::function<void()> changed_;
};

}  // namespace qv
