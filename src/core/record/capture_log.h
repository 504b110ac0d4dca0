#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/app/alerts.h"
#include "core/display/trace_data.h"
#include "core/record/capture_file.h"

namespace qv {

// One row of the time-marker list: "#", "Date/Time", "Comment".
struct TimeMarkerItem {
  std::string number;
  std::string date_time;
  std::string comment;

  friend bool operator==(const TimeMarkerItem&, const TimeMarkerItem&) = default;
};

// The sweep on screen as a capture keeps it: the live levels in whole dBm, rounded to nearest,
// the sweep's settings and the power of those levels.
CaptureSweep CaptureOfTrace(const TraceData& trace);
// The live levels hold one whole sweep: its last point is in and the next has not begun.
bool HoldsWholeSweep(const TraceData& trace);

// What the captures need from the graph.
class CaptureHost {
 public:
  virtual ~CaptureHost() = default;
  // Shows a capture's sweep: its 18-byte sweep block and its levels in whole dBm.
  virtual void ShowCapture(const uint8_t* block, const int16_t* levels, size_t count) = 0;
};

// The graph's instant captures: a capture file written one sweep at a time, and a capture file
// reviewed in the graph, one time marker at a time. Each operation opens and closes the file.
class CaptureLog {
 public:
  CaptureLog(Alerts& alerts, CaptureHost& host);

  // A new, empty capture file that "Instant Capture" appends to. False, with a message naming
  // the path and the reason, when it cannot be created; then no file takes captures (the old
  // one neither) until one is created.
  bool CreateCaptureFile(const std::string& path);
  // A capture file is ready for captures (cleared while one is reviewed).
  bool Ready() const { return ready_; }
  bool Reviewing() const { return reviewing_; }
  const std::string& Path() const { return path_; }
  // How often `path` was created (or tried) here: a capture named by path and number is still
  // that capture only while this count is the same, as a file made anew numbers from 0 again.
  uint64_t Creations(const std::string& path) const;

  // Appends `sweep` as the next capture and lists it. False, with a message, when no capture
  // file is ready or it could not be written; the captures already in the file stay.
  bool WriteCapture(const CaptureSweep& sweep, const std::string& comment = kNoCommentsText);
  // Captures the sweep of `trace` when it is whole, else the next whole sweep (OnWholeSweep):
  // a capture never mixes two sweeps, nor holds points not yet received. The number of the
  // capture written now; nullopt when it waits or was refused (with a message, as above).
  std::optional<uint32_t> Capture(const TraceData& trace,
                                  const std::string& comment = kNoCommentsText);
  bool Waiting() const { return waiting_.has_value(); }
  // A sweep's last point has arrived: a capture waiting for it is taken. True when one was.
  bool OnWholeSweep(const TraceData& trace);

  // Lists every capture of `path` that reads whole and shows the first. A damaged file is
  // reviewed as far as it reads, with one message saying what is wrong and where.
  bool OpenCaptureForReview(const std::string& path);
  void StopReview();

  // Shows capture k in the graph (while reviewing) and makes it the current marker.
  void LoadCapture(int k);
  // The next and the previous marker, wrapping around.
  void Next();
  void Previous();
  // Replaces capture k's comment in the file and in the list (cut to 128 bytes).
  bool WriteCaptureComment(int k, const std::string& text);
  // The same for capture `number` of the file `path`, listed or not.
  bool WriteComment(const std::string& path, uint32_t number, const std::string& text);

  const std::vector<TimeMarkerItem>& Items() const { return items_; }
  int Index() const { return index_; }
  int Count() const { return static_cast<int>(items_.size()); }

  // The clock captures are stamped with; tests fix it.
  void SetClock(std::function<LogClock()> clock) { clock_ = std::move(clock); }

 private:
  static TimeMarkerItem ItemOf(uint32_t number, const LogClock& clock, const std::string& comment);

  Alerts& alerts_;
  CaptureHost& host_;
  std::function<LogClock()> clock_;
  std::string path_;
  bool ready_ = false;
  bool reviewing_ = false;
  int index_ = 0;
  std::vector<TimeMarkerItem> items_;
  std::vector<uint32_t> numbers_;       // capture number of each list row
  std::vector<CaptureEntry> reviewed_;  // the captures of the file under review
  std::optional<std::string> waiting_;  // the comment of a capture waiting for a whole sweep
  std::map<std::string, uint64_t> creations_;
};

}  // namespace qv
