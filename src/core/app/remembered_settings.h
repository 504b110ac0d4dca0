#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/app/spectrum_settings.h"
#include "core/app/window_place.h"

namespace qv {

// The spectrum the next handshake sets. use_default holds until the user changes the spectrum,
// and again after "Set Default"; the reference level is always the remembered one.
struct RememberedSpectrum {
  SpectrumSettings spectrum;  // the default spectrum unless something valid was remembered
  int32_t reference_level_index = 1;
  bool use_default = true;

  RememberedSpectrum();
  friend bool operator==(const RememberedSpectrum&, const RememberedSpectrum&) = default;
};

// The last link that opened: the interface index and its device path, USB serial number or
// network address and port. interface_index -1: none.
struct RememberedLink {
  static constexpr uint16_t kDefaultPort = 10001;
  int32_t interface_index = -1;
  std::string address;
  uint16_t port = kDefaultPort;

  friend bool operator==(const RememberedLink&, const RememberedLink&) = default;
};

struct RememberedWindow {
  std::optional<ScreenRect> place;  // the window's normal place; none: the program's default
  bool maximised = true;
  std::vector<std::string> closed_panels;  // tab titles

  friend bool operator==(const RememberedWindow&, const RememberedWindow&) = default;
};

// "Select Replay Type"'s choices.
inline constexpr int32_t kSpectrumLogReplay = 1;
inline constexpr int32_t kCaptureReplay = 2;

// Everything one run leaves for the next.
struct RememberedSettings {
  RememberedLink link;
  RememberedSpectrum spectrum;
  RememberedWindow window;
  int32_t replay_choice = kSpectrumLogReplay;  // the replay type chosen last

  friend bool operator==(const RememberedSettings&, const RememberedSettings&) = default;
};

// The stored text of a key ("Group/Name"); nullopt when absent.
using SettingLookup = std::function<std::optional<std::string>(std::string_view key)>;

// Reads what was stored. Each value that is absent, not a number where one belongs, outside
// the bands, not one of the RBW codes or reference levels, or a size that is not positive
// falls back to its default on its own; nothing stored reads as all defaults.
RememberedSettings ReadRememberedSettings(const SettingLookup& lookup);

// The keys and texts to store, readable by a person: centre and span in kHz, RBW in kHz,
// reference level in dBm.
std::vector<std::pair<std::string, std::string>> RememberedEntries(
    const RememberedSettings& remembered);

// Why the text of a settings file cannot be ours, in words for the user ("it holds NUL bytes",
// "it is not UTF-8 text", "line 3 is neither a comment, a section nor a key=value"); empty when
// every line is one of those. A file with such damage is set aside rather than read, so the
// garbage is not written back.
std::string SettingsTextProblem(std::string_view text);

// What the progress window says while the handshake's end sets this spectrum.
std::string SettingSpectrumText(const RememberedSpectrum& remembered);

// Whether enough of the place lies on one of the screens to grab the window there.
bool PlaceOnSomeScreen(const ScreenRect& place, const std::vector<ScreenRect>& screens);

}  // namespace qv
