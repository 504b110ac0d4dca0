// Reads arbitrary bytes as a limit-line file. Either the whole line is read, ascending with at
// most two points on one frequency and finite values, or nothing is and one message names why;
// the line then answers every frequency without reading out of bounds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/limits/limit_check.h"
#include "core/limits/limit_line.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qv::LimitLineRead read =
      qv::ParseLimitLine(std::string_view(reinterpret_cast<const char*>(data), size), "f.csv");
  const auto& points = read.line.points;
  Check(read.error.empty() == !points.empty());
  Check(read.error.find('\n') == std::string::npos);
  for (size_t i = 0; i < points.size(); ++i) {
    Check(std::isfinite(points[i].hz) && std::isfinite(points[i].dbm));
    if (i > 0) Check(points[i - 1].hz <= points[i].hz);
    if (i > 1) Check(points[i - 2].hz < points[i].hz);
  }
  if (points.empty()) return 0;
  // A sweep across the line and beyond both ends.
  int16_t levels[64];
  for (size_t i = 0; i < 64; ++i) levels[i] = static_cast<int16_t>((i * 977) % 4096 - 2048);
  const double width = points.back().hz - points.front().hz;
  const qv::SweepLevels sweep{points.front().hz - width / 8, width / 48, levels, 64};
  const qv::SweepVerdict verdict = qv::CheckSweep(&read.line, &read.line, sweep);
  Check(!verdict.fail || (verdict.checked && verdict.worst_excess_db > 0));
  for (const auto& point : points) {
    const auto upper = read.line.At(point.hz, qv::LimitKind::kUpper);
    const auto lower = read.line.At(point.hz, qv::LimitKind::kLower);
    Check(upper && lower && *upper <= *lower && std::isfinite(*upper));
  }
  return 0;
}
