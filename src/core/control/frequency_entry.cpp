#include "core/control/frequency_entry.h"

#include "core/control/frequency_rules.h"

namespace qv {
namespace {

constexpr uint32_t kKhzSpanBelow = 20;  // spans under 1 MHz are shown in kHz

FrequencyEntryAction Refusal(std::string_view message, std::string_view caption) {
  return {.kind = FrequencyEntryAction::Kind::kShowMessage, .message = message, .caption = caption};
}

}  // namespace

void FrequencyEntry::ShowSpan(uint32_t current_span) {
  mode_ = Mode::kSpan;
  controls_.entry_enabled = true;
  controls_.khz_enabled = true;
  controls_.mhz_enabled = true;
  if (current_span < kKhzSpanBelow) {
    SetUnit(Unit::kKhz);
    WriteText(std::to_string(StepsToKhz(current_span)));
  } else {
    SetUnit(Unit::kMhz);
    WriteText(FormatMhz(StepsToMhz(current_span)));
  }
}

void FrequencyEntry::ShowCentre(uint32_t current_start, uint32_t current_span) {
  mode_ = Mode::kCentre;
  controls_.entry_enabled = true;
  controls_.khz_enabled = false;
  controls_.mhz_enabled = true;
  SetUnit(Unit::kMhz);
  // Wraps like the Receiver's own 32-bit fields would.
  WriteText(FormatMhz(StepsToMhz(current_start + current_span / 2)));
  if (!controls_.text.empty()) controls_.set_enabled = true;
}

void FrequencyEntry::ChooseKhz() {
  SetUnit(Unit::kKhz);
  if (!controls_.text.empty()) controls_.set_enabled = true;
}

void FrequencyEntry::ChooseMhz() {
  SetUnit(Unit::kMhz);
  if (!controls_.text.empty()) controls_.set_enabled = true;
}

void FrequencyEntry::TextChanged(std::string_view text) {
  controls_.text = std::string(text);
  if (text.empty()) {
    controls_.set_enabled = false;
    controls_.up_down_enabled = false;
    return;
  }
  value_ = ReadDialogInteger(text);
  controls_.set_enabled = true;
  controls_.up_down_enabled = true;
}

void FrequencyEntry::Up() {
  ++value_;
  // Past 999 kHz a span continues at 1 MHz; a centre is always MHz and just counts on.
  if (mode_ == Mode::kSpan && value_ > 999) {
    value_ = 1;
    SetUnit(Unit::kMhz);
  }
  WriteText(std::to_string(value_));
}

void FrequencyEntry::Down() {
  --value_;  // 0 wraps to 4294967295, as the page always has
  if (value_ < 1) {
    value_ = 999;
    SetUnit(Unit::kKhz);
  }
  WriteText(std::to_string(value_));
}

void FrequencyEntry::PressKey(int key) {
  WriteText(keypad_.PressKey(key));
}

void FrequencyEntry::Backspace() {
  WriteText(keypad_.Backspace());
}

void FrequencyEntry::Clear() {
  keypad_.Clear();
  WriteText(std::string());
}

FrequencyEntryAction FrequencyEntry::Set() const {
  using Kind = FrequencyEntryAction::Kind;
  if (mode_ == Mode::kNone || unit_ == Unit::kUnset) return {};
  const uint32_t steps = unit_ == Unit::kKhz ? KhzToSteps(value_) : MhzToSteps(value_);
  if (mode_ == Mode::kSpan) {
    if (steps == 0) return Refusal(kMsgMinimumSpan, kCapMinimumSpan);
    if (steps > kMaxSpanSteps) return Refusal(kMsgMaximumSpan, kCapMaximumSpan);
    return {.kind = Kind::kSetSpan, .steps = steps};
  }
  if (steps < kLowestCentre) return Refusal(kMsgCentreOutOfBand, kCapCentreOutOfBand);
  return {.kind = Kind::kSetCenterFrequency, .steps = steps};
}

void FrequencyEntry::SetUnit(Unit unit) {
  unit_ = unit;
  controls_.khz_checked = unit == Unit::kKhz;
  controls_.mhz_checked = unit == Unit::kMhz;
}

void FrequencyEntry::WriteText(const std::string& text) {
  TextChanged(text);
}

}  // namespace qv
