#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/spectrum_settings.h"

namespace qv {

// Frequencies and spans everywhere are counts of 50 kHz steps.
inline constexpr uint32_t kStepKhz = 50;

// One frequency band of the Receiver, inclusive edges in steps.
struct Band {
  uint32_t low;
  uint32_t high;
};

inline constexpr std::array<Band, 4> kBands = {{
    {18048, 18560},    // 900 MHz
    {48000, 50000},    // 2.4 GHz
    {98800, 99800},    // 4.9 GHz
    {103000, 118000},  // 5 GHz
}};

inline constexpr uint32_t kLowestCentre = 18048;  // the entry page refuses centres below this
inline constexpr uint32_t kMaxSpanSteps = 16000;  // 800 MHz

// Message texts and captions of the frequency rules.
inline constexpr std::string_view kMsgMinimumSpan = "Minimum Span: 50 KHz";
inline constexpr std::string_view kCapMinimumSpan = "Invalid Span Alert";
inline constexpr std::string_view kMsgMaximumSpan = "Maximum Span: 800MHz";
inline constexpr std::string_view kCapMaximumSpan = "Invalid Value";
inline constexpr std::string_view kMsgSpanOutOfBand =
    "Span out of bounds for Current Center Frequency for Current Band.\n Please change your Center "
    "Frequency to an appropriate value \n and then Set this Span";
inline constexpr std::string_view kCapSpanOutOfBand = "Invalid Span Alert !";
inline constexpr std::string_view kMsgCentreOutOfBand = "Center Frequency out of a Valid Band";
inline constexpr std::string_view kCapCentreOutOfBand = "Invalid Value !";
inline constexpr std::string_view kMsgDefaultSpectrum = "Default Spectrum could not be set";
inline constexpr std::string_view kCapDefaultSpectrum = "Alert!";

// A sweep window: first frequency and width, in steps.
struct FrequencyWindow {
  uint32_t start;
  uint32_t span;

  friend bool operator==(const FrequencyWindow&, const FrequencyWindow&) = default;
};

// Whether start ... stop (in steps) lies inside a single band.
bool InOneBand(int64_t start, int64_t stop);

// The window of `new_span` around the current centre. nullopt: refused, the new window lies
// inside no single band.
std::optional<FrequencyWindow> SpanWindow(uint32_t current_start, uint32_t current_span,
                                          uint32_t new_span);

// The window of the current span around `centre`. nullopt: the centre lies below 18048, between
// bands or above 118000; otherwise the window clamped to the band edges, keeping the centre.
std::optional<FrequencyWindow> CenterWindow(uint32_t current_span, uint32_t centre);

// Start 48000 (2400 MHz), span 1000 (50 MHz), sweep word 1, RBW code 1600 (50 kHz).
SpectrumSettings DefaultSpectrum();

// Unit conversions; the MHz figure is a floating-point value so half steps show.
double StepsToMhz(uint32_t steps);
uint32_t StepsToKhz(uint32_t steps);  // wraps as unsigned 32-bit, like the Receiver's fields
// Saturates at the largest step count instead of wrapping, so absurd entries stay absurd.
uint32_t KhzToSteps(uint32_t khz);
uint32_t MhzToSteps(uint32_t mhz);

// "%0.2f" of a MHz figure.
std::string FormatMhz(double mhz);

// Reads an entry field as an unsigned integer: leading blanks skipped, decimal digits up to the
// first other character, no digits gives 0. Values beyond 32 bits saturate at 4294967295.
uint32_t ReadDialogInteger(std::string_view text);

}  // namespace qv
