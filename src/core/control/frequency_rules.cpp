#include "core/control/frequency_rules.h"

#include <cstdio>
#include <limits>

namespace qv {
namespace {

constexpr uint32_t kMaxSteps = std::numeric_limits<uint32_t>::max();

bool InAnyBand(int64_t f) {
  for (const Band& band : kBands) {
    if (f >= band.low && f <= band.high) return true;
  }
  return false;
}

}  // namespace

bool InOneBand(int64_t start, int64_t stop) {
  for (const Band& band : kBands) {
    if (start >= band.low && stop <= band.high) return true;
  }
  return false;
}

std::optional<FrequencyWindow> SpanWindow(uint32_t current_start, uint32_t current_span,
                                          uint32_t new_span) {
  // Signed 64-bit so a window reaching below 0 is refused rather than wrapping to a high start
  // that would then pass the band test.
  const int64_t centre = int64_t{current_start} + current_span / 2;
  const int64_t start = centre - new_span / 2;
  const int64_t stop = centre + new_span / 2;
  if (!InOneBand(start, stop)) return std::nullopt;
  return FrequencyWindow{static_cast<uint32_t>(start), new_span};
}

std::optional<FrequencyWindow> CenterWindow(uint32_t current_span, uint32_t centre) {
  const int64_t f = centre;
  if (!InAnyBand(f)) return std::nullopt;

  // A start below a band, past the band before it, moves up to that band's low edge; otherwise a
  // stop above a band, short of the band after it, moves down to its high edge. Either way the
  // centre stays. A span wider than twice the centre would put the start below 0; in 64 bits it
  // simply falls under the lowest band and is clamped there.
  const int64_t half = current_span / 2;
  const int64_t start = f - half;
  const int64_t stop = f + half;
  constexpr int64_t kUnbounded = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < kBands.size(); ++i) {
    const int64_t previous_high = i == 0 ? -kUnbounded : kBands[i - 1].high;
    if (start > previous_high && start < kBands[i].low) {
      return FrequencyWindow{kBands[i].low, static_cast<uint32_t>(2 * (f - kBands[i].low))};
    }
  }
  for (size_t i = 0; i < kBands.size(); ++i) {
    const int64_t next_low = i + 1 == kBands.size() ? kUnbounded : kBands[i + 1].low;
    if (stop > kBands[i].high && stop < next_low) {
      return FrequencyWindow{static_cast<uint32_t>(2 * f - kBands[i].high),
                             static_cast<uint32_t>(2 * (kBands[i].high - f))};
    }
  }
  return FrequencyWindow{static_cast<uint32_t>(start), current_span};
}

SpectrumSettings DefaultSpectrum() {
  SpectrumSettings settings;
  settings.start = 48000;
  settings.span = 1000;
  settings.sweep_word = 1;
  settings.rbw_code = 1600;
  return settings;
}

double StepsToMhz(uint32_t steps) {
  return static_cast<double>(steps) * kStepKhz / 1000.0;
}

uint32_t StepsToKhz(uint32_t steps) {
  return steps * kStepKhz;
}

uint32_t KhzToSteps(uint32_t khz) {
  return khz / kStepKhz;
}

uint32_t MhzToSteps(uint32_t mhz) {
  const uint64_t steps = uint64_t{mhz} * 1000 / kStepKhz;
  return steps > kMaxSteps ? kMaxSteps : static_cast<uint32_t>(steps);
}

std::string FormatMhz(double mhz) {
  char text[64];
  std::snprintf(text, sizeof text, "%0.2f", mhz);
  return text;
}

uint32_t ReadDialogInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    if (value > kMaxSteps) return kMaxSteps;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace qv
