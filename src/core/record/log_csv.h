#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/sweep_message.h"
#include "core/record/capture_file.h"
#include "core/record/log_reader.h"

namespace qv {

// Receives finished CSV text in large pieces. False when the text could not be written (the
// export then stops formatting).
using CsvSink = std::function<bool(std::string_view text)>;

// The sweep header of a type 6 or 10 record (the record is the received message with its length
// inserted after the type byte); nullopt for another type or a record too short for it.
std::optional<SweepHeader> SweepHeaderOfRecord(const LogRecordView& record);

// The text the CSV writers give a level of `sample` 1/16 dBm: the shortest exact decimal, no
// exponent, "-" only below zero (-1521 -> "-95.0625", -1600 -> "-100", 0 -> "0").
std::string_view CsvLevelText(int16_t sample);

// Sweeps claiming more points than this are left out: the Receiver sends far fewer, and the cap
// keeps a damaged or hostile file from making one line of unbounded size.
inline constexpr uint32_t kMaxCsvSweepPoints = 1u << 20;

// Which sweep blocks make whole sweeps, the one rule every reader of a log counts sweeps by. A
// sweep is whole when its blocks carry points 0 ... N - 1 in order: the first block's frequency
// is the start, each next one starts where the one before ended (in sweep-word steps). Sweeps
// whose beginning or end is missing (the first of a log, a torn last one) are left out; a block
// out of order, with another start, N or type, or claiming more levels than it holds drops the
// sweep in progress. Sweeps of no points or more than kMaxCsvSweepPoints never begin.
class WholeSweepRule {
 public:
  struct Step {
    bool dropped = false;    // the sweep begun before this block ended unfinished
    bool begins = false;     // this block begins a sweep
    bool taken = false;      // this block belongs to the sweep in progress
    bool completes = false;  // and makes it whole
    SweepHeader header;      // of this block, when taken
  };
  // For a record of a sweep type (SweepLevelsOffset not 0).
  Step Feed(const LogRecordView& record);
  // Ends the sweep in progress unfinished (at the end of the records); true when there was one.
  bool Drop();
  // Sweeps begun but never completed, and sweeps above kMaxCsvSweepPoints.
  uint64_t LeftOut() const { return left_out_; }

 private:
  bool in_sweep_ = false;
  SweepHeader sweep_;    // of the sweep in progress
  uint32_t filled_ = 0;  // its points so far
  uint64_t left_out_ = 0;
};

// Turns the sweep blocks of a log (types 6 and 10) into one line per complete sweep, in the
// layout rtl_power users feed to their plotting scripts:
//
//   2024-01-31, 13:45:07, 2400000000, 2400150000, 50000, 1, -95.0625, -96.5, -0.25
//
// date and time of the latest time record before the sweep's first block (the header's before
// the first time record), written as stored: year 2000 + the year byte, two digits at least for
// the others; Hz low = start × 50000; Hz step = sweep word × 50000; Hz high = Hz low + N × Hz
// step; samples 1; then the N levels in dBm, each the 1/16 dBm sample divided by 16 written
// exactly as the shortest decimal: no exponent, no trailing zeros, "-" only below zero
// (-1521 -> "-95.0625", -8 -> "-0.5", 0 -> "0").
//
// Only whole sweeps (WholeSweepRule) are written.
class LogCsvExport : public LogVisitor {
 public:
  // Text is handed to `sink` whenever about `flush_bytes` have gathered, and by Finish(). A
  // buffer that stays in the cache makes the export several times faster than a large one.
  explicit LogCsvExport(CsvSink sink, size_t flush_bytes = size_t{1} << 18);

  void OnHeader(const LogHeaderInfo& header) override;
  void OnRecord(const LogRecordView& record) override;

  // One line for an instant capture, in the same layout: the capture's own date and time, Hz
  // low = start × 50000, Hz step 50000, Hz high = Hz low + N × Hz step, samples 1, then the N
  // levels in whole dBm as the capture stores them ("-100").
  void WriteCapture(const CaptureEntry& capture);

  // Hands over the remaining complete lines. False when any write failed.
  bool Finish();

  bool Failed() const { return failed_; }
  uint64_t SweepsWritten() const { return sweeps_written_; }
  // Sweeps begun but never completed, and sweeps above kMaxCsvSweepPoints.
  uint64_t SweepsLeftOut() const { return rule_.LeftOut(); }

 private:
  void OnSweepBlock(const LogRecordView& record);
  void SetClock(const LogClock& clock);
  void BeginLine(uint32_t start, uint32_t points, uint16_t sweep_word);
  void AppendLevels(const uint8_t* samples, uint32_t count);
  void DropSweep();
  void Reserve(size_t more);
  void Append(std::string_view text);
  void AppendUnsigned(uint64_t value, int min_digits = 1);
  bool Flush();

  CsvSink sink_;
  size_t flush_bytes_;
  std::string buffer_;  // used as a byte area: [0, used_) is text, the rest is room
  size_t used_ = 0;
  size_t line_start_ = 0;  // where the sweep in progress began
  WholeSweepRule rule_;
  uint8_t clock_[6] = {0, 0, 0, 255, 255, 255};  // month, day, year - 2000, hour, minute, second
  bool failed_ = false;
  uint64_t sweeps_written_ = 0;
};

}  // namespace qv
