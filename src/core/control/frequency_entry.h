#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ui/keyboard.h"

namespace qv {

// What "Set" on the frequency page asks of its caller.
struct FrequencyEntryAction {
  enum class Kind {
    kNothing,
    kShowMessage,         // message and caption
    kSetSpan,             // call SetSpan(steps)
    kSetCenterFrequency,  // call SetCenterFrequency(steps)
  };
  Kind kind = Kind::kNothing;
  std::string_view message;
  std::string_view caption;
  uint32_t steps = 0;
};

// States of the page's controls. The page copies all of them after every call.
struct FrequencyEntryControls {
  std::string text;  // the entry field
  bool entry_enabled = false;
  bool khz_enabled = false;
  bool mhz_enabled = false;
  bool khz_checked = false;
  bool mhz_checked = false;
  bool set_enabled = false;
  bool up_down_enabled = false;
};

// The logic of the frequency page: span or centre entry in kHz or MHz, the arrows, the keypad and
// "Set". The page routes its controls here and shows the resulting control states.
class FrequencyEntry {
 public:
  enum class Mode { kNone, kSpan, kCentre };
  enum class Unit { kUnset, kKhz, kMhz };

  // The "Span" and "Center Frequency" radio buttons, with the sweep on screen.
  void ShowSpan(uint32_t current_span);
  void ShowCentre(uint32_t current_start, uint32_t current_span);

  // The unit radio buttons.
  void ChooseKhz();
  void ChooseMhz();

  // The entry field's text changed (typed by hand or written by the page).
  void TextChanged(std::string_view text);

  // "^" and "v".
  void Up();
  void Down();

  // Keypad keys (numbers as CKeyBoard takes them), "<--" and "Clear".
  void PressKey(int key);
  void Backspace();
  void Clear();

  // "Set": converts the entry to steps and says what to do with them.
  FrequencyEntryAction Set() const;

  Mode mode() const { return mode_; }
  Unit unit() const { return unit_; }
  uint32_t value() const { return value_; }
  const FrequencyEntryControls& controls() const { return controls_; }

 private:
  void SetUnit(Unit unit);
  void WriteText(const std::string& text);

  Mode mode_ = Mode::kNone;
  Unit unit_ = Unit::kUnset;
  uint32_t value_ = 0;
  CKeyBoard keypad_;
  FrequencyEntryControls controls_;
};

}  // namespace qv
