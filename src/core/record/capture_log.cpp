#include "core/record/capture_log.h"

#include <array>

#include "core/display/level_power.h"
#include "core/display/level_units.h"

namespace qv {
namespace {

constexpr char kCaptureCaption[] = "Time Marker Log File Alert !";
constexpr char kNoCaptureFile[] =
    "No capture file is in use, so no capture was taken.\nChoose one in Logging Options, "
    "\"Instant Capture File\".";
constexpr char kReviewNoCapture[] =
    "No capture is taken while a capture file is reviewed.\nChoose a capture file in Logging "
    "Options, \"Instant Capture File\".";

}  // namespace

CaptureSweep CaptureOfTrace(const TraceData& t) {
  CaptureSweep sweep;
  sweep.type = t.message_type == kMsgTriggerSweep ? kMsgTriggerSweep : kMsgSweep;
  sweep.start = t.header.start;
  sweep.points = static_cast<uint32_t>(t.StoredPoints());
  sweep.rbw_code = t.header.rbw_code;
  sweep.reference_level = t.header.reference_level;
  sweep.status = t.header.status;
  sweep.levels.assign(t.live_levels.begin(), t.live_levels.begin() + t.StoredPoints());
  // The record's sweep power is the previous sweep's until the next sweep begins.
  float sum = 0;
  for (const int16_t level : sweep.levels) sum += SixteenthsPower(SixteenthsOfLevel(level));
  sweep.power = sum != 0 ? PowerSumToDbm(sum) : 0.0f;
  return sweep;
}

bool HoldsWholeSweep(const TraceData& t) {
  return t.StoredPoints() > 0 && t.write_index >= t.StoredPoints();
}

CaptureLog::CaptureLog(Alerts& alerts, CaptureHost& host)
    : alerts_(alerts), host_(host), clock_(&LocalLogClock) {}

TimeMarkerItem CaptureLog::ItemOf(uint32_t number, const LogClock& clock,
                                  const std::string& comment) {
  const std::array<uint8_t, 6> stamp = {clock.month, clock.day,    clock.year,
                                        clock.hour,  clock.minute, clock.second};
  return TimeMarkerItem{std::to_string(number + 1),
                        LogDateText(stamp.data()) + LogTimeText(stamp.data()), comment};
}

bool CaptureLog::CreateCaptureFile(const std::string& path) {
  waiting_.reset();  // it was asked of the old file
  ++creations_[path];
  std::string error;
  if (!CaptureFile::Create(path, &error)) {
    // Later captures must not go on into the previous file unnoticed. A review goes on.
    ready_ = false;
    if (!reviewing_) {
      path_.clear();
      index_ = 0;
      items_.clear();
      numbers_.clear();
    }
    alerts_.Show("The capture file could not be created.\n" + error +
                     "\nNo capture file is in use until one is created.",
                 kCaptureCaption);
    return false;
  }
  StopReview();
  path_ = path;
  ready_ = true;
  index_ = 0;
  items_.clear();
  numbers_.clear();
  return true;
}

bool CaptureLog::WriteCapture(const CaptureSweep& sweep, const std::string& comment) {
  if (!ready_) {
    alerts_.Show(reviewing_ ? kReviewNoCapture : kNoCaptureFile, kCaptureCaption);
    return false;
  }
  const LogClock clock = clock_();
  uint32_t number = 0;
  std::string error;
  if (!CaptureFile::Append(path_, clock, sweep, &number, &error, comment)) {
    alerts_.Show("The capture could not be written.\n" + error, kCaptureCaption);
    return false;
  }
  items_.push_back(ItemOf(number, clock, comment));
  numbers_.push_back(number);
  index_ = Count() - 1;
  return true;
}

std::optional<uint32_t> CaptureLog::Capture(const TraceData& trace, const std::string& comment) {
  if (ready_ && !HoldsWholeSweep(trace)) {
    waiting_ = comment;
    return std::nullopt;
  }
  if (!WriteCapture(CaptureOfTrace(trace), comment)) return std::nullopt;
  return numbers_.back();
}

bool CaptureLog::OnWholeSweep(const TraceData& trace) {
  if (!waiting_) return false;
  const std::string comment = std::move(*waiting_);
  waiting_.reset();
  return ready_ && WriteCapture(CaptureOfTrace(trace), comment);
}

uint64_t CaptureLog::Creations(const std::string& path) const {
  const auto it = creations_.find(path);
  return it != creations_.end() ? it->second : 0;
}

bool CaptureLog::OpenCaptureForReview(const std::string& path) {
  CaptureScan scan;
  std::string error;
  if (!CaptureFile::Read(path, &scan, &error)) {
    alerts_.Show(error, kCaptureCaption);
    return false;
  }
  if (!scan.problem.empty()) alerts_.Show(scan.problem, kCaptureCaption);
  path_ = path;
  ready_ = false;
  reviewing_ = true;
  waiting_.reset();
  reviewed_ = std::move(scan.entries);
  items_.clear();
  numbers_.clear();
  for (const CaptureEntry& entry : reviewed_) {
    items_.push_back(ItemOf(entry.number, entry.clock, entry.comment));
    numbers_.push_back(entry.number);
  }
  index_ = 0;
  LoadCapture(0);
  return true;
}

void CaptureLog::StopReview() {
  reviewing_ = false;
  reviewed_.clear();
}

void CaptureLog::LoadCapture(int k) {
  if (k < 0 || k >= Count()) return;
  index_ = k;
  if (!reviewing_ || k >= static_cast<int>(reviewed_.size())) return;
  const CaptureEntry& entry = reviewed_[static_cast<size_t>(k)];
  host_.ShowCapture(entry.block.data(), entry.sweep.levels.data(), entry.sweep.levels.size());
}

void CaptureLog::Next() {
  if (Count() == 0) return;
  LoadCapture(index_ + 1 >= Count() ? 0 : index_ + 1);
}

void CaptureLog::Previous() {
  if (Count() == 0) return;
  LoadCapture(index_ <= 0 ? Count() - 1 : index_ - 1);
}

bool CaptureLog::WriteCaptureComment(int k, const std::string& text) {
  if (k < 0 || k >= Count() || path_.empty()) return false;
  return WriteComment(path_, numbers_[static_cast<size_t>(k)], text);
}

bool CaptureLog::WriteComment(const std::string& path, uint32_t number, const std::string& text) {
  std::string error;
  if (!CaptureFile::WriteComment(path, number, text, &error)) {
    alerts_.Show("The comment could not be written.\n" + error, kCaptureCaption);
    return false;
  }
  if (path != path_) return true;
  const std::string stored = CutCaptureComment(text);
  for (size_t k = 0; k < numbers_.size(); ++k) {
    if (numbers_[k] != number) continue;
    items_[k].comment = stored;
    if (reviewing_ && k < reviewed_.size()) reviewed_[k].comment = stored;
  }
  return true;
}

}  // namespace qv
