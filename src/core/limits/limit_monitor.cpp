#include "core/limits/limit_monitor.h"

#include <cerrno>
#include <cstring>

namespace qv {

LimitMonitor::LimitMonitor(std::function<LimitTime()> now, LimitActions& actions)
    : now_(std::move(now)), actions_(&actions) {}

std::string LimitMonitor::Load(LimitKind kind, const std::string& path) {
  LimitLineRead read = ReadLimitLineFile(path);
  if (!read.error.empty()) return read.error;
  lines_[Index(kind)] = std::move(read.line);
  paths_[Index(kind)] = path;
  LinesChanged();
  return {};
}

void LimitMonitor::Clear(LimitKind kind) {
  lines_[Index(kind)] = {};
  paths_[Index(kind)].clear();
  LinesChanged();
}

void LimitMonitor::LinesChanged() {
  // A violation of the old lines ends with them.
  if (violations_.Close()) Ended();
  last_.reset();
  Notify();
}

bool LimitMonitor::OpenEventsFile(const std::string& path, std::string* error) {
  events_file_.close();
  events_file_.clear();
  events_file_.open(path, std::ios::binary | std::ios::trunc);
  events_file_ << LimitEventsCsvHeader();
  events_file_.flush();
  if (!events_file_) {
    events_file_.close();
    if (error != nullptr) *error = path + ": the events file could not be written (" +
                                   std::strerror(errno) + ")";
    return false;
  }
  events_path_ = path;
  return true;
}

void LimitMonitor::OnSweep(const SweepLevels& sweep) {
  if (!Active()) return;
  last_ = CheckSweep(&lines_[0], &lines_[1], sweep);
  if (last_->fail) any_violation_ = true;
  const LimitViolations::Change change = violations_.Add(*last_, now_ ? now_() : LimitTime{});
  if (change == LimitViolations::Change::kEnded) Ended();
  if (change == LimitViolations::Change::kStarted) {
    if (options_.beep && actions_ != nullptr) actions_->Beep();
    if (options_.capture && actions_ != nullptr) {
      capture_ = actions_->Capture(LimitEventComment(violations_.Events().back()));
    }
  }
  Notify();
}

void LimitMonitor::Finish() {
  if (violations_.Close()) {
    Ended();
    Notify();
  }
}

void LimitMonitor::ClearEvents() {
  if (violations_.Close()) Ended();
  violations_.Clear();
  Notify();
}

void LimitMonitor::Ended() {
  if (violations_.Events().empty()) return;
  const LimitEvent& event = violations_.Events().back();
  if (capture_ && actions_ != nullptr) actions_->Recomment(*capture_, LimitEventComment(event));
  capture_.reset();
  if (!events_file_.is_open()) return;
  events_file_ << LimitEventCsvRow(event);
  events_file_.flush();
  if (!events_file_ && events_error_.empty()) {
    events_error_ = events_path_ + ": the events file could not be written";
  }
}

}  // namespace qv
