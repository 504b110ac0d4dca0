#include "core/record/log_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>

#include "core/link/little_endian.h"

namespace qv {
namespace {

constexpr uint64_t kHzPerStep = 50000;

// ", " and the level of one 16-bit sample, preformatted: the text, then its length in the last
// byte. Sixteen bytes each, so a level is one fixed-size copy and a length add.
struct LevelText {
  char bytes[16];
};
constexpr size_t kLevelTextLength = 15;

std::unique_ptr<std::array<LevelText, 65536>> MakeLevelTable() {
  auto table = std::make_unique<std::array<LevelText, 65536>>();
  for (uint32_t raw = 0; raw < 65536; ++raw) {
    const int32_t sample = static_cast<int16_t>(static_cast<uint16_t>(raw));
    const uint32_t magnitude = static_cast<uint32_t>(sample < 0 ? -sample : sample);
    char* out = (*table)[raw].bytes;
    char* p = out;
    *p++ = ',';
    *p++ = ' ';
    if (sample < 0) *p++ = '-';
    p = std::to_chars(p, out + kLevelTextLength, magnitude / 16).ptr;
    // Sixteenths are exact in four decimals: 1/16 = 0.0625.
    uint32_t fraction = (magnitude % 16) * 625;
    if (fraction != 0) {
      *p++ = '.';
      for (uint32_t digit = 1000; fraction != 0; digit /= 10) {
        *p++ = static_cast<char>('0' + fraction / digit);
        fraction %= digit;
      }
    }
    std::fill(p, out + kLevelTextLength, '\0');
    out[kLevelTextLength] = static_cast<char>(p - out);
  }
  return table;
}

const std::array<LevelText, 65536>& LevelTable() {
  static const std::unique_ptr<std::array<LevelText, 65536>> table = MakeLevelTable();
  return *table;
}

}  // namespace

std::string_view CsvLevelText(int16_t sample) {
  const LevelText& text = LevelTable()[static_cast<uint16_t>(sample)];
  // Past the ", " every entry starts with.
  return std::string_view(text.bytes + 2, static_cast<uint8_t>(text.bytes[kLevelTextLength]) - 2u);
}

std::optional<SweepHeader> SweepHeaderOfRecord(const LogRecordView& record) {
  const size_t levels_at = SweepLevelsOffset(record.type);
  if (levels_at == 0) return std::nullopt;
  uint8_t head[std::max(kSweepLevelsOffset, kTriggerSweepLevelsOffset)];
  const size_t head_length = std::min<size_t>(levels_at, size_t{1} + record.length);
  head[0] = record.type;
  if (head_length > 1) std::memcpy(head + 1, record.payload, head_length - 1);
  return ParseSweepHeader(head, head_length);
}

LogCsvExport::LogCsvExport(CsvSink sink, size_t flush_bytes)
    : sink_(std::move(sink)), flush_bytes_(flush_bytes) {
  LevelTable();  // built now rather than inside the first sweep
}

void LogCsvExport::OnHeader(const LogHeaderInfo& header) {
  SetClock(header.clock);
}

void LogCsvExport::SetClock(const LogClock& c) {
  const uint8_t clock[6] = {c.month, c.day, c.year, c.hour, c.minute, c.second};
  std::memcpy(clock_, clock, sizeof clock_);
}

void LogCsvExport::WriteCapture(const CaptureEntry& capture) {
  if (failed_) return;
  DropSweep();  // a log's sweep in progress would otherwise get the capture's levels
  const CaptureSweep& s = capture.sweep;
  SetClock(capture.clock);
  BeginLine(s.start, static_cast<uint32_t>(s.levels.size()), 1);
  for (const int16_t level : s.levels) {
    char text[8];
    const char* end = std::to_chars(text, text + sizeof text, level).ptr;
    Append(", ");
    Append(std::string_view(text, static_cast<size_t>(end - text)));
  }
  Append("\n");
  ++sweeps_written_;
  if (used_ >= flush_bytes_) Flush();
}

void LogCsvExport::OnRecord(const LogRecordView& record) {
  if (failed_) return;
  if (record.type == kLogTimeType) {
    if (record.length >= sizeof clock_) std::memcpy(clock_, record.payload, sizeof clock_);
  } else if (SweepLevelsOffset(record.type) != 0) {
    OnSweepBlock(record);
  }
}

WholeSweepRule::Step WholeSweepRule::Feed(const LogRecordView& record) {
  Step step;
  const size_t levels_at = SweepLevelsOffset(record.type);
  const std::optional<SweepHeader> h = SweepHeaderOfRecord(record);
  if (!h || h->block_count > (size_t{1} + record.length - levels_at) / 2) {
    step.dropped = Drop();
    return step;
  }
  if (h->block_frequency == h->start) {
    step.dropped = Drop();
    if (h->points == 0) return step;
    if (h->points > kMaxCsvSweepPoints || h->block_count > h->points) {
      ++left_out_;
      return step;
    }
    sweep_ = *h;
    filled_ = 0;
    in_sweep_ = step.begins = true;
  } else if (!in_sweep_ || h->type != sweep_.type || h->start != sweep_.start ||
             h->points != sweep_.points || h->sweep_word != sweep_.sweep_word ||
             h->block_frequency != uint64_t{sweep_.start} + uint64_t{filled_} * sweep_.sweep_word ||
             h->block_count > sweep_.points - filled_) {
    step.dropped = Drop();
    return step;
  }
  step.taken = true;
  step.header = *h;
  filled_ += h->block_count;
  if (filled_ == sweep_.points) {
    in_sweep_ = false;
    step.completes = true;
  }
  return step;
}

bool WholeSweepRule::Drop() {
  if (!in_sweep_) return false;
  in_sweep_ = false;
  ++left_out_;
  return true;
}

void LogCsvExport::OnSweepBlock(const LogRecordView& record) {
  const WholeSweepRule::Step step = rule_.Feed(record);
  if (step.dropped) used_ = line_start_;
  if (!step.taken) return;
  const size_t levels_at = SweepLevelsOffset(record.type);
  const SweepHeader& h = step.header;
  if (step.begins) {
    line_start_ = used_;
    BeginLine(h.start, h.points, h.sweep_word);
  }
  AppendLevels(record.payload + (levels_at - 1), h.block_count);
  if (step.completes) {
    Append("\n");
    ++sweeps_written_;
    if (used_ >= flush_bytes_) Flush();
  }
}

void LogCsvExport::BeginLine(uint32_t start, uint32_t points, uint16_t sweep_word) {
  AppendUnsigned(2000u + clock_[2], 4);
  Append("-");
  AppendUnsigned(clock_[0], 2);
  Append("-");
  AppendUnsigned(clock_[1], 2);
  Append(", ");
  AppendUnsigned(clock_[3], 2);
  Append(":");
  AppendUnsigned(clock_[4], 2);
  Append(":");
  AppendUnsigned(clock_[5], 2);
  Append(", ");
  const uint64_t low = start * kHzPerStep;
  const uint64_t step = sweep_word * kHzPerStep;
  AppendUnsigned(low);
  Append(", ");
  AppendUnsigned(low + points * step);  // at most about 1.5e19: fits 64 bits
  Append(", ");
  AppendUnsigned(step);
  Append(", 1");
}

void LogCsvExport::AppendLevels(const uint8_t* samples, uint32_t count) {
  const std::array<LevelText, 65536>& table = LevelTable();
  Reserve(size_t{count} * sizeof(LevelText));
  char* out = buffer_.data() + used_;
  for (uint32_t i = 0; i < count; ++i) {
    const LevelText& text = table[GetU16(samples + 2 * i)];
    std::memcpy(out, text.bytes, sizeof text.bytes);
    out += static_cast<uint8_t>(text.bytes[kLevelTextLength]);
  }
  used_ = static_cast<size_t>(out - buffer_.data());
}

void LogCsvExport::DropSweep() {
  if (rule_.Drop()) used_ = line_start_;
}

void LogCsvExport::Reserve(size_t more) {
  if (buffer_.size() - used_ >= more) return;
  buffer_.resize(std::max(buffer_.size() * 2, used_ + more));
}

void LogCsvExport::Append(std::string_view text) {
  Reserve(text.size());
  std::memcpy(buffer_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

void LogCsvExport::AppendUnsigned(uint64_t value, int min_digits) {
  char digits[24];
  const size_t length = static_cast<size_t>(std::to_chars(digits, digits + 24, value).ptr - digits);
  for (size_t pad = length; pad < static_cast<size_t>(min_digits); ++pad) Append("0");
  Append(std::string_view(digits, length));
}

bool LogCsvExport::Flush() {
  if (used_ != 0 && !failed_ && !sink_(std::string_view(buffer_.data(), used_))) failed_ = true;
  used_ = 0;
  line_start_ = 0;
  return !failed_;
}

bool LogCsvExport::Finish() {
  DropSweep();
  return Flush();
}

}  // namespace qv
