// The remote commands that change settings or reach files.
#include <cmath>
#include <filesystem>

#include "core/control/frequency_rules.h"
#include "core/control/rbw_reference.h"
#include "core/remote/scpi_error.h"
#include "session/remote/scpi_instrument.h"
#include "session/remote/scpi_instrument_commands.h"

namespace qv {
namespace {

constexpr double kStepHz = kStepKhz * 1000.0;

// A number in `unit` (or none); nullopt for any other kind of parameter.
std::optional<double> Number(const ScpiParam& param, ScpiSuffixUnit unit) {
  if (param.kind != ScpiParamKind::kNumber) return std::nullopt;
  if (param.unit != ScpiSuffixUnit::kNone && param.unit != unit) return std::nullopt;
  return param.number;
}

// The window a new start or stop asks for; the other edge stays while it can, else the span.
std::optional<FrequencyWindow> EdgeWindow(int id, SweepWindow current, int64_t steps) {
  const int64_t start = current.start;
  const int64_t stop = start + current.span;
  int64_t new_start = start;
  int64_t new_stop = stop;
  if (id == kCmdFreqStart) {
    new_start = steps;
    if (new_start >= stop) new_stop = new_start + current.span;
  } else {
    new_stop = steps;
    if (new_stop <= start) new_start = new_stop - current.span;
  }
  const int64_t span = new_stop - new_start;
  if (new_start < 0 || span < 1 || span > kMaxSpanSteps || !InOneBand(new_start, new_stop)) {
    return std::nullopt;
  }
  return FrequencyWindow{static_cast<uint32_t>(new_start), static_cast<uint32_t>(span)};
}

}  // namespace

void CScpiClient::RunFrequency(const ScpiUnit& unit) {
  const SweepWindow current = session_.Ops().CurrentSweep();
  if (unit.query) {
    if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
    const uint64_t steps_x2 = unit.id == kCmdFreqStart  ? 2ull * current.start
                              : unit.id == kCmdFreqStop ? 2ull * (current.start + current.span)
                              : unit.id == kCmdFreqSpan ? 2ull * current.span
                                                        : 2ull * current.start + current.span;
    return Answer(std::to_string(steps_x2 * kStepKhz * 500));
  }
  if (const int error = CheckScpiParamCount(unit, 1, 1)) return Fail(error, unit);
  const std::optional<double> hz = Number(unit.params[0], ScpiSuffixUnit::kHertz);
  if (!hz) return Fail(kScpiDataTypeError, unit);
  if (!std::isfinite(*hz) || *hz < 0 || *hz > 1e11) return Fail(kScpiDataOutOfRange, unit);
  const auto steps = static_cast<int64_t>(std::llround(*hz / kStepHz));
  std::optional<FrequencyWindow> window;
  // A start and a stop side by side on one line are one window: checked alone, either edge
  // would leave the other in the old band, and a move to another band could not be made.
  const bool edge = unit.id == kCmdFreqStart || unit.id == kCmdFreqStop;
  const int other_edge = unit.id == kCmdFreqStart ? kCmdFreqStop : kCmdFreqStart;
  if (edge && next_unit_ + 1 < units_.size() && &units_[next_unit_] == &unit) {
    const ScpiUnit& other = units_[next_unit_ + 1];
    const std::optional<double> other_hz =
        other.id == other_edge && !other.query && other.error == 0 && other.params.size() == 1
            ? Number(other.params[0], ScpiSuffixUnit::kHertz)
            : std::nullopt;
    if (other_hz && std::isfinite(*other_hz) && *other_hz >= 0 && *other_hz <= 1e11) {
      ++next_unit_;  // taken together with this one
      const auto other_steps = static_cast<int64_t>(std::llround(*other_hz / kStepHz));
      const int64_t start = unit.id == kCmdFreqStart ? steps : other_steps;
      const int64_t stop = unit.id == kCmdFreqStart ? other_steps : steps;
      if (start >= 0 && stop > start && stop - start <= kMaxSpanSteps && InOneBand(start, stop)) {
        window = FrequencyWindow{static_cast<uint32_t>(start), static_cast<uint32_t>(stop - start)};
      }
      if (!window) return Fail(kScpiDataOutOfRange, unit, "Outside a single band of the Receiver");
    }
  }
  if (window) {
    // the pair's window, checked above
  } else if (edge) {
    window = EdgeWindow(unit.id, current, steps);
  } else if (steps < 1 || steps > kMaxSpanSteps * 8) {
    window = std::nullopt;
  } else if (unit.id == kCmdFreqCenter) {
    window = CenterWindow(current.span, static_cast<uint32_t>(steps));
  } else if (steps <= kMaxSpanSteps) {
    window = SpanWindow(current.start, current.span, static_cast<uint32_t>(steps));
  }
  if (!window) return Fail(kScpiDataOutOfRange, unit, "Outside a single band of the Receiver");
  if (!session_.Connected()) return Fail(kScpiHardwareError, unit, "Receiver not connected");
  ReceiverState& state = session_.State();
  state.working.start = window->start;
  state.working.span = window->span;
  if (!session_.Ops().SendSpectrumSettings(state.working)) {
    Fail(kScpiHardwareError, unit, "The Receiver did not take the setting");
  }
}

void CScpiClient::RunBandwidth(const ScpiUnit& unit) {
  ReceiverState& state = session_.State();
  if (unit.query) {
    if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
    const uint16_t code = state.last_sent.rbw_code;
    uint32_t khz = code == 0 ? 0 : (80000 + code / 2) / code;
    for (const RbwButton& button : kRbwButtons) {
      if (button.code == code) khz = button.khz;
    }
    return Answer(std::to_string(uint64_t{khz} * 1000));
  }
  if (const int error = CheckScpiParamCount(unit, 1, 1)) return Fail(error, unit);
  const std::optional<double> hz = Number(unit.params[0], ScpiSuffixUnit::kHertz);
  if (!hz) return Fail(kScpiDataTypeError, unit);
  // Nearest of the Receiver's choices, within a factor of two of the outer ones.
  if (!std::isfinite(*hz) || *hz < kRbwButtons.front().khz * 500.0 ||
      *hz > kRbwButtons.back().khz * 2000.0) {
    return Fail(kScpiDataOutOfRange, unit);
  }
  const RbwButton* nearest = &kRbwButtons.front();
  for (const RbwButton& button : kRbwButtons) {
    if (std::abs(button.khz * 1000.0 - *hz) < std::abs(nearest->khz * 1000.0 - *hz)) {
      nearest = &button;
    }
  }
  if (!session_.Connected()) return Fail(kScpiHardwareError, unit, "Receiver not connected");
  const SweepWindow current = session_.Ops().CurrentSweep();
  state.working.start = current.start;
  state.working.span = current.span;
  state.working.rbw_code = nearest->code;
  if (!session_.Ops().SendSpectrumSettings(state.working)) {
    Fail(kScpiHardwareError, unit, "The Receiver did not take the setting");
  }
}

void CScpiClient::RunReferenceLevel(const ScpiUnit& unit) {
  if (unit.query) {
    if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
    return Answer(std::to_string(ReferenceLevelDbm(session_.State().reference_level_index)));
  }
  if (const int error = CheckScpiParamCount(unit, 1, 1)) return Fail(error, unit);
  const std::optional<double> dbm = Number(unit.params[0], ScpiSuffixUnit::kDbm);
  if (!dbm) return Fail(kScpiDataTypeError, unit);
  const double whole = std::round(*dbm);
  std::optional<int32_t> index;
  if (std::isfinite(*dbm) && std::abs(*dbm - whole) < 1e-6 && std::abs(whole) < 1000) {
    index = ReferenceIndexOfLevel(static_cast<int16_t>(whole));
  }
  if (!index) return Fail(kScpiDataOutOfRange, unit, "-20 to -70 dBm in steps of 10 dB");
  if (!session_.Connected()) return Fail(kScpiHardwareError, unit, "Receiver not connected");
  if (!session_.Ops().SetReferenceLevel(*index)) {
    Fail(kScpiHardwareError, unit, "The Receiver did not take the setting");
  }
}

void CScpiClient::RunFormat(const ScpiUnit& unit) {
  if (unit.query) {
    if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
    if (unit.id == kCmdFormat) return Answer(format_ == DataFormat::kAscii ? "ASC,0" : "REAL,32");
    return Answer(order_ == ScpiByteOrder::kNormal ? "NORM" : "SWAP");
  }
  if (const int error = CheckScpiParamCount(unit, 1, unit.id == kCmdFormat ? 2 : 1)) {
    return Fail(error, unit);
  }
  const ScpiParam& choice = unit.params[0];
  if (choice.kind != ScpiParamKind::kChars) return Fail(kScpiDataTypeError, unit);
  const std::string& word = choice.text;
  if (unit.id == kCmdByteOrder) {
    if (word == "NORM" || word == "NORMAL") {
      order_ = ScpiByteOrder::kNormal;
    } else if (word == "SWAP" || word == "SWAPPED") {
      order_ = ScpiByteOrder::kSwapped;
    } else {
      Fail(kScpiIllegalParameterValue, unit);
    }
    return;
  }
  const bool width_given = unit.params.size() == 2;
  const double width = width_given ? unit.params[1].number : 0;
  if (width_given && unit.params[1].kind != ScpiParamKind::kNumber) {
    return Fail(kScpiDataTypeError, unit);
  }
  if ((word == "ASC" || word == "ASCII") && (!width_given || width == 0)) {
    format_ = DataFormat::kAscii;
  } else if (word == "REAL" && (!width_given || width == 32)) {
    format_ = DataFormat::kReal32;
  } else {
    Fail(kScpiIllegalParameterValue, unit);
  }
}

std::string CScpiClient::PathOf(const ScpiUnit& unit, size_t param) {
  if (unit.params.size() <= param || unit.params[param].kind != ScpiParamKind::kString) {
    Fail(kScpiDataTypeError, unit, "A quoted file name");
    return {};
  }
  const std::string& name = unit.params[param].text;
  if (!PlainFileName(name)) {
    Fail(kScpiMassStorageError, unit, "A plain file name inside the remote folder");
    return {};
  }
  return remote_dir_.empty() ? name : remote_dir_ + "/" + name;
}

void CScpiClient::RunFile(const ScpiUnit& unit) {
  if (unit.id == kCmdLogStart && unit.query) {
    if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
    return Answer(host_ != nullptr && host_->Logging() ? "1" : "0");
  }
  const size_t params = unit.id == kCmdLogStop ? 0 : 1;
  if (const int error = CheckScpiParamCount(unit, params, params)) return Fail(error, unit);
  if (unit.id == kCmdLogStop) {
    if (host_ == nullptr || !host_->StopLog()) Fail(kScpiSettingsConflict, unit, "No log running");
    return;
  }
  const std::string path = PathOf(unit, 0);
  if (path.empty()) return;
  std::string error;
  if (unit.id == kCmdLimitLoad) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return Fail(kScpiFileNameNotFound, unit);
    const LimitKind kind = unit.suffixes.at(0) == 1 ? LimitKind::kUpper : LimitKind::kLower;
    error = session_.Limits().Load(kind, path);
    if (!error.empty()) Fail(kScpiMassStorageError, unit, error);
    return;
  }
  if (host_ == nullptr) return Fail(kScpiSettingsConflict, unit, "Not offered by this program");
  const bool done = unit.id == kCmdLogStart ? host_->StartLog(path, &error)
                                            : host_->Capture(path, &error);
  if (!done) Fail(kScpiSettingsConflict, unit, error);
}

}  // namespace qv
