#include "core/control/frequency_rules.h"

#include <cstdio>
#include <limits>

namespace qv {
namespace {

constexpr uint32_t kMaxSteps = std::numeric_limits<uint32_t>::max();

bool BetweenBands(int64_t f) {
  return (f > 18560 && f < 48000) || (f > 50000 && f < 98800) || (f > 99800 && f < 103000);
}

}  // namespace

std::optional<FrequencyWindow> SpanWindow(uint32_t current_start, uint32_t current_span,
                                          uint32_t new_span) {
  // Signed 64-bit so a window reaching below 0 is refused rather than wrapping to a high start
  // that would then pass the band test.
  const int64_t centre = int64_t{current_start} + current_span / 2;
  const int64_t start = centre - new_span / 2;
  const int64_t stop = centre + new_span / 2;
  for (const Band& band : kBands) {
    if (start >= band.low && stop <= band.high) {
      return FrequencyWindow{static_cast<uint32_t>(start), new_span};
    }
  }
  return std::nullopt;
}

std::optional<FrequencyWindow> CenterWindow(uint32_t current_span, uint32_t centre) {
  const int64_t f = centre;
  if (f < kLowestCentre || BetweenBands(f) || f > 118000) return std::nullopt;

  // A span wider than twice the centre would put the start below 0; in 64 bits it simply falls
  // under the lowest band and is clamped there.
  const int64_t half = current_span / 2;
  int64_t start = f - half;
  int64_t span = current_span;
  if (start < 18048) {
    start = 18048;
    span = 2 * (f - 18048);
  } else if (start > 18560 && start < 48000) {
    start = 48000;
    span = 2 * (f - 48000);
  } else if (start > 50000 && start < 98800) {
    start = 98800;
    span = 2 * (f - 98800);
  } else if (start > 99800 && start < 103000) {
    start = 103000;
    span = 2 * (f - 103000);
  } else {
    const int64_t stop = f + half;
    int64_t top = 0;
    if (stop > 18560 && stop < 48000) {
      top = 18560;
    } else if (stop > 50000 && stop < 98800) {
      top = 50000;
    } else if (stop > 99800 && stop < 103000) {
      top = 99800;
    } else if (stop > 118000) {
      top = 118000;
    }
    if (top != 0) {
      span = 2 * (top - f);
      start = 2 * f - top;
    }
  }
  return FrequencyWindow{static_cast<uint32_t>(start), static_cast<uint32_t>(span)};
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
