// The remote commands that read the kept sweep and what is measured on it.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/control/channel_plans.h"
#include "core/display/level_power.h"
#include "core/display/occupied_bandwidth.h"
#include "core/display/peak_search.h"
#include "core/remote/scpi_error.h"
#include "session/remote/scpi_instrument.h"
#include "session/remote/scpi_instrument_commands.h"

namespace qv {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();  // answered as 9.91e+37

std::optional<double> Hertz(const ScpiParam& param) {
  if (param.kind != ScpiParamKind::kNumber) return std::nullopt;
  if (param.unit != ScpiSuffixUnit::kNone && param.unit != ScpiSuffixUnit::kHertz) {
    return std::nullopt;
  }
  return param.number;
}

}  // namespace

const KeptSweep* CScpiClient::Sweep(const ScpiUnit& unit) {
  if (kept_.Empty()) {
    Fail(kScpiSettingsConflict, unit, "No whole sweep yet");
    return nullptr;
  }
  return &kept_;
}

std::string CScpiClient::Data(const std::vector<double>& values) const {
  if (format_ == DataFormat::kAscii) return FormatScpiList(values);
  const std::vector<float> floats(values.begin(), values.end());
  return FormatScpiFloatBlock(floats, order_);
}

void CScpiClient::RunTrace(const ScpiUnit& unit) {
  if (const int error = CheckScpiParamCount(unit, 0, 1)) return Fail(error, unit);
  const std::string name = unit.params.empty() ? "TRACE1" : unit.params[0].text;
  if (!unit.params.empty() && unit.params[0].kind != ScpiParamKind::kChars) {
    return Fail(kScpiDataTypeError, unit);
  }
  const KeptSweep* sweep = Sweep(unit);
  if (sweep == nullptr) return;
  const std::vector<int16_t>* levels = nullptr;
  if (name == "TRACE1") {
    levels = &sweep->live;
  } else if (name == "TRACE2") {
    levels = &sweep->average;
  } else if (name == "MAXH" || name == "MAXHOLD") {
    levels = &sweep->max_hold;
  } else if (name == "MINH" || name == "MINHOLD") {
    levels = &sweep->min_hold;
  } else {
    return Fail(kScpiIllegalParameterValue, unit);
  }
  if (levels->empty()) return Fail(kScpiSettingsConflict, unit, "Trace not running");
  std::vector<double> dbm;
  dbm.reserve(levels->size());
  for (const int16_t level : *levels) {
    dbm.push_back(level == kMinHoldUnseen ? kNoValue : level / 16.0);
  }
  Answer(Data(dbm));
}

void CScpiClient::RunFrequencyData(const ScpiUnit& unit) {
  if (!unit.params.empty()) return Fail(kScpiParameterNotAllowed, unit);
  const KeptSweep* sweep = Sweep(unit);
  if (sweep == nullptr) return;
  std::vector<double> hz(static_cast<size_t>(sweep->Points()));
  for (int32_t i = 0; i < sweep->Points(); ++i) hz[i] = static_cast<double>(sweep->PointHz(i));
  Answer(Data(hz));
}

void CScpiClient::RunMarker(const ScpiUnit& unit) {
  Marker& marker = markers_.at(static_cast<size_t>(unit.suffixes.at(0) - 1));
  const size_t wanted = unit.query || unit.id == kCmdMarkerPeak || unit.id == kCmdMarkerNext ? 0 : 1;
  if (const int error = CheckScpiParamCount(unit, wanted, wanted)) return Fail(error, unit);
  if (unit.id == kCmdMarkerState) {
    if (unit.query) return Answer(marker.on ? "1" : "0");
    const std::optional<bool> on = ScpiBool(unit.params[0]);
    if (!on) return Fail(kScpiIllegalParameterValue, unit);
    if (*on && !marker.on) marker.point = kept_.Points() / 2;  // a marker comes on at the centre
    marker.on = *on;
    return;
  }
  if ((unit.id == kCmdMarkerY || (unit.id == kCmdMarkerX && unit.query)) && !marker.on) {
    return Fail(kScpiSettingsConflict, unit, "Marker off");
  }
  const KeptSweep* sweep = Sweep(unit);
  if (sweep == nullptr) return;
  const int32_t points = sweep->Points();
  const int16_t* levels = sweep->live.data();
  switch (unit.id) {
    case kCmdMarkerPeak:
      marker.point = HighestPoint(levels, points).value_or(0);
      marker.on = true;
      return;
    case kCmdMarkerNext: {
      const int32_t from = marker.on ? marker.point : HighestPoint(levels, points).value_or(0);
      const std::optional<int32_t> next = NextPeak(levels, points, std::min(from, points - 1));
      if (!next) return Fail(kScpiExecutionError, unit, "No peak found");
      marker.point = *next;
      marker.on = true;
      return;
    }
    case kCmdMarkerX: {
      if (unit.query) {
        return Answer(std::to_string(sweep->PointHz(std::min(marker.point, points - 1))));
      }
      const std::optional<double> hz = Hertz(unit.params[0]);
      if (!hz) return Fail(kScpiDataTypeError, unit);
      const std::optional<int32_t> point = std::isfinite(*hz) ? sweep->PointAt(*hz) : std::nullopt;
      if (!point) return Fail(kScpiDataOutOfRange, unit, "Outside the sweep");
      marker.point = *point;
      marker.on = true;
      return;
    }
    default:  // Y?
      Answer(FormatScpiNumber(levels[std::min(marker.point, points - 1)] / 16.0));
  }
}

void CScpiClient::RunBand(const ScpiUnit& unit) {
  if (const int error = CheckScpiParamCount(unit, 2, 2)) return Fail(error, unit);
  const std::optional<double> low = Hertz(unit.params[0]);
  const std::optional<double> high = Hertz(unit.params[1]);
  if (!low || !high) return Fail(kScpiDataTypeError, unit);
  const KeptSweep* sweep = Sweep(unit);
  if (sweep == nullptr) return;
  const std::optional<int32_t> first = std::isfinite(*low) ? sweep->PointAt(*low) : std::nullopt;
  const std::optional<int32_t> last = std::isfinite(*high) ? sweep->PointAt(*high) : std::nullopt;
  if (!first || !last) return Fail(kScpiDataOutOfRange, unit, "Outside the sweep");
  const int16_t* levels = sweep->live.data();
  if (unit.id == kCmdBandPower) {
    float sum = 0;
    for (int32_t i = std::min(*first, *last); i <= std::max(*first, *last); ++i) {
      sum += PowerTable()[levels[i] + kPowerTableBias];
    }
    return Answer(FormatScpiNumber(PowerSumToDbm(sum)));
  }
  const BandReadings readings =
      ReadBand(levels, sweep->Points(), *first, *last, static_cast<double>(sweep->PointHz(0)),
               sweep->header.sweep_word * 50'000.0);
  if (unit.id == kCmdOccupiedBandwidth) {
    return Answer(FormatScpiNumber(readings.ObwHz().value_or(kNoValue)));
  }
  Answer(FormatScpiNumber(readings.acpr_lower_dbc.value_or(kNoValue)) + "," +
         FormatScpiNumber(readings.acpr_upper_dbc.value_or(kNoValue)));
}

void CScpiClient::RunChannelUse(const ScpiUnit& unit) {
  if (const int error = CheckScpiParamCount(unit, 2, 2)) return Fail(error, unit);
  if (unit.params[0].kind != ScpiParamKind::kString ||
      unit.params[1].kind != ScpiParamKind::kString) {
    return Fail(kScpiDataTypeError, unit);
  }
  const ChannelPlan* plan = ChannelPlanById(unit.params[0].text);
  if (plan == nullptr) return Fail(kScpiIllegalParameterValue, unit, "Unknown channel plan");
  const auto channel =
      std::find_if(plan->channels.begin(), plan->channels.end(),
                   [&](const PlanChannel& c) { return c.label == unit.params[1].text; });
  if (channel == plan->channels.end()) {
    return Fail(kScpiIllegalParameterValue, unit, "Unknown channel");
  }
  const LiveChannelUse& use = session_.ChannelUse();
  if (use.Plan() != plan) return Fail(kScpiSettingsConflict, unit, "The sweeps are not in this plan");
  const std::vector<ChannelUse> figures = use.Figures(session_.NowMs());
  const auto index = static_cast<size_t>(channel - plan->channels.begin());
  if (index >= figures.size() || !figures[index].Measured()) {
    return Fail(kScpiSettingsConflict, unit, "Channel not measured");
  }
  Answer(FormatScpiNumber(figures[index].UtilisationPercent() / 100));
}

void CScpiClient::RunLimit(const ScpiUnit& unit) {
  const LimitKind kind = unit.suffixes.at(0) == 1 ? LimitKind::kUpper : LimitKind::kLower;
  LimitMonitor& limits = session_.Limits();
  const size_t wanted = unit.id == kCmdLimitState && !unit.query ? 1 : 0;
  if (const int error = CheckScpiParamCount(unit, wanted, wanted)) return Fail(error, unit);
  if (unit.id == kCmdLimitFail) {
    return Answer(limits.Last() && limits.Last()->fail ? "1" : "0");
  }
  if (unit.id == kCmdLimitClear) return limits.ClearEvents();
  if (unit.query) return Answer(limits.Line(kind).Empty() ? "0" : "1");
  const std::optional<bool> on = ScpiBool(unit.params[0]);
  if (!on) return Fail(kScpiIllegalParameterValue, unit);
  if (!*on) return limits.Clear(kind);
  if (limits.Line(kind).Empty()) Fail(kScpiSettingsConflict, unit, "No line loaded");
}

}  // namespace qv
