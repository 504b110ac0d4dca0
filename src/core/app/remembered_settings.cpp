#include "core/app/remembered_settings.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <type_traits>

#include "core/app/receiver_state.h"
#include "core/control/frequency_rules.h"
#include "core/control/rbw_reference.h"
#include "core/link/handshake.h"

namespace qv {
namespace {

constexpr char kInterfaceKey[] = "Connection/Interface";
constexpr char kAddressKey[] = "Connection/Address";
constexpr char kPortKey[] = "Connection/Port";
constexpr char kCentreKey[] = "Spectrum/CentreKHz";
constexpr char kSpanKey[] = "Spectrum/SpanKHz";
constexpr char kRbwKey[] = "Spectrum/RbwKHz";
constexpr char kReferenceKey[] = "Spectrum/ReferenceLevelDbm";
constexpr char kUseDefaultKey[] = "Spectrum/UseDefault";
constexpr char kXKey[] = "Window/X";
constexpr char kYKey[] = "Window/Y";
constexpr char kWidthKey[] = "Window/Width";
constexpr char kHeightKey[] = "Window/Height";
constexpr char kMaximisedKey[] = "Window/Maximised";
constexpr char kClosedPanelsKey[] = "Window/ClosedPanels";
constexpr char kReplayChoiceKey[] = "Replay/Choice";

// Bounds on text from the file, so a damaged one cannot make us keep megabytes.
constexpr size_t kMaxAddressLength = 255;
constexpr size_t kMaxPanels = 64;
constexpr size_t kMaxTitleLength = 80;
// A window needs this much on a screen for its title bar to be grabbed.
constexpr int64_t kMinVisible = 48;

// The whole text as a decimal integer in [low, high]; anything else is no number.
std::optional<int64_t> Number(const SettingLookup& lookup, const char* key, int64_t low,
                              int64_t high) {
  const std::optional<std::string> text = lookup(key);
  if (!text || text->empty()) return std::nullopt;
  int64_t value = 0;
  const char* end = text->data() + text->size();
  const auto [last, error] = std::from_chars(text->data(), end, value);
  if (error != std::errc() || last != end || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<bool> Flag(const SettingLookup& lookup, const char* key) {
  const std::optional<std::string> text = lookup(key);
  if (!text) return std::nullopt;
  if (*text == "true" || *text == "1") return true;
  if (*text == "false" || *text == "0") return false;
  return std::nullopt;
}

bool Printable(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
  });
}

bool InsideOneBand(uint32_t start, uint32_t span) {
  return span != 0 && span <= kMaxSpanSteps && InOneBand(start, int64_t{start} + span);
}

RememberedLink ReadLink(const SettingLookup& lookup) {
  RememberedLink link;
  const auto index = Number(lookup, kInterfaceKey, 0, kInterfaceCount - 1);
  if (!index) return link;
  link.interface_index = static_cast<int32_t>(*index);
  const std::optional<std::string> address = lookup(kAddressKey);
  if (address && address->size() <= kMaxAddressLength && Printable(*address)) {
    link.address = *address;
  }
  if (const auto port = Number(lookup, kPortKey, 1, 65535)) {
    link.port = static_cast<uint16_t>(*port);
  }
  return link;
}

RememberedSpectrum ReadSpectrum(const SettingLookup& lookup) {
  RememberedSpectrum remembered;
  const auto centre = Number(lookup, kCentreKey, 0, std::numeric_limits<uint32_t>::max());
  const auto span = Number(lookup, kSpanKey, 1, std::numeric_limits<uint32_t>::max());
  // Only whole steps were ever stored; anything else is not ours.
  if (centre && span && *centre % kStepKhz == 0 && *span % kStepKhz == 0) {
    const auto span_steps = static_cast<uint32_t>(*span / kStepKhz);
    const auto centre_steps = static_cast<uint32_t>(*centre / kStepKhz);
    if (centre_steps >= span_steps / 2 &&
        InsideOneBand(centre_steps - span_steps / 2, span_steps)) {
      remembered.spectrum.start = centre_steps - span_steps / 2;
      remembered.spectrum.span = span_steps;
    }
  }
  if (const auto rbw = Number(lookup, kRbwKey, 1, 100000)) {
    for (const RbwButton& button : kRbwButtons) {
      if (button.khz == *rbw) remembered.spectrum.rbw_code = button.code;
    }
  }
  if (const auto level = Number(lookup, kReferenceKey, -1000, 1000)) {
    if (const auto index = ReferenceIndexOfLevel(static_cast<int16_t>(*level))) {
      remembered.reference_level_index = *index;
    }
  }
  remembered.use_default = Flag(lookup, kUseDefaultKey).value_or(true);
  return remembered;
}

RememberedWindow ReadWindow(const SettingLookup& lookup) {
  constexpr int64_t kFar = 1 << 20;  // beyond any screen arrangement
  RememberedWindow window;
  const auto x = Number(lookup, kXKey, -kFar, kFar);
  const auto y = Number(lookup, kYKey, -kFar, kFar);
  const auto width = Number(lookup, kWidthKey, 1, kFar);
  const auto height = Number(lookup, kHeightKey, 1, kFar);
  if (x && y && width && height) {
    window.place = ScreenRect{static_cast<int32_t>(*x), static_cast<int32_t>(*y),
                              static_cast<int32_t>(*width), static_cast<int32_t>(*height)};
  }
  window.maximised = Flag(lookup, kMaximisedKey).value_or(true);
  const std::optional<std::string> panels = lookup(kClosedPanelsKey);
  if (!panels) return window;
  std::string_view rest = *panels;
  while (!rest.empty() && window.closed_panels.size() < kMaxPanels) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    const std::string title(rest.substr(0, end));
    if (!title.empty() && title.size() <= kMaxTitleLength && Printable(title)) {
      window.closed_panels.push_back(title);
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return window;
}

bool ValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t more = 0;
    uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i <= more) return false;
    for (size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      return false;
    }
    i += more + 1;
  }
  return true;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
    line.remove_suffix(1);
  }
  return line;
}

}  // namespace

std::string SettingsTextProblem(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return "it holds NUL bytes";
  if (!ValidUtf8(text)) return "it is not UTF-8 text";
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  bool continued = false;  // the last value ended in a lone backslash: this line belongs to it
  for (size_t number = 1; !text.empty(); ++number) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t equals = line.find('=');
    const bool value_line = continued || (equals != std::string_view::npos && equals > 0);
    const bool fine = line.empty() || line.front() == ';' || line.front() == '#' ||
                      (line.front() == '[' && line.back() == ']' && line.size() > 2) ||
                      value_line;
    if (!fine) {
      return "line " + std::to_string(number) +
             " is neither a comment, a section nor a key=value";
    }
    const size_t backslashes = line.size() - std::min(line.size(), line.find_last_not_of('\\') + 1);
    continued = value_line && backslashes % 2 == 1;
  }
  return {};
}

RememberedSpectrum::RememberedSpectrum() : spectrum(DefaultSpectrum()) {}

RememberedSettings ReadRememberedSettings(const SettingLookup& lookup) {
  return RememberedSettings{
      ReadLink(lookup), ReadSpectrum(lookup), ReadWindow(lookup),
      static_cast<int32_t>(Number(lookup, kReplayChoiceKey, kSpectrumLogReplay, kCaptureReplay)
                               .value_or(kSpectrumLogReplay))};
}

std::vector<std::pair<std::string, std::string>> RememberedEntries(
    const RememberedSettings& remembered) {
  std::vector<std::pair<std::string, std::string>> entries;
  const auto put = [&entries](const char* key, auto value) {
    if constexpr (std::is_same_v<decltype(value), bool>) {
      entries.emplace_back(key, value ? "true" : "false");
    } else if constexpr (std::is_same_v<decltype(value), std::string>) {
      entries.emplace_back(key, std::move(value));
    } else {
      entries.emplace_back(key, std::to_string(value));
    }
  };
  const RememberedLink& link = remembered.link;
  if (link.interface_index >= 0 && link.interface_index < kInterfaceCount) {
    put(kInterfaceKey, link.interface_index);
    put(kAddressKey, link.address);
    if (link.interface_index >= kInternetInterface) put(kPortKey, link.port);
  }
  const SpectrumSettings& spectrum = remembered.spectrum.spectrum;
  put(kCentreKey, StepsToKhz(spectrum.start + spectrum.span / 2));
  put(kSpanKey, StepsToKhz(spectrum.span));
  for (const RbwButton& button : kRbwButtons) {
    if (button.code == spectrum.rbw_code) put(kRbwKey, button.khz);
  }
  put(kReferenceKey, ReferenceLevelDbm(remembered.spectrum.reference_level_index));
  put(kUseDefaultKey, remembered.spectrum.use_default);
  if (const auto& place = remembered.window.place) {
    put(kXKey, place->x);
    put(kYKey, place->y);
    put(kWidthKey, place->width);
    put(kHeightKey, place->height);
  }
  put(kMaximisedKey, remembered.window.maximised);
  std::string panels;
  for (const std::string& title : remembered.window.closed_panels) {
    if (!panels.empty()) panels += '\n';
    panels += title;
  }
  put(kClosedPanelsKey, panels);
  put(kReplayChoiceKey, remembered.replay_choice);
  return entries;
}

std::string SettingSpectrumText(const RememberedSpectrum& remembered) {
  if (remembered.use_default) return ProgressText(kProgressSettingDefault);
  const SpectrumSettings& spectrum = remembered.spectrum;
  return "Setting the Quorvalin to display\n the remembered Spectrum (" +
         FormatMhz(StepsToMhz(spectrum.start)) + " MHz - " +
         FormatMhz(StepsToMhz(spectrum.start + spectrum.span)) + " MHz)";
}

bool PlaceOnSomeScreen(const ScreenRect& place, const std::vector<ScreenRect>& screens) {
  if (place.width <= 0 || place.height <= 0) return false;
  return std::any_of(screens.begin(), screens.end(), [&](const ScreenRect& screen) {
    const int64_t left = std::max<int64_t>(place.x, screen.x);
    const int64_t top = std::max<int64_t>(place.y, screen.y);
    const int64_t right = std::min<int64_t>(int64_t{place.x} + place.width,
                                            int64_t{screen.x} + screen.width);
    const int64_t bottom = std::min<int64_t>(int64_t{place.y} + place.height,
                                             int64_t{screen.y} + screen.height);
    return right - left >= kMinVisible && bottom - top >= kMinVisible;
  });
}

}  // namespace qv
