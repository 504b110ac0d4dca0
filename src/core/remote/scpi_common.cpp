#include "core/remote/scpi_common.h"

#include <cmath>

#include "core/remote/scpi_error.h"

namespace qv {
namespace {

ScpiCommonResult Answer(std::string text) { return {true, true, std::move(text)}; }

// Queues `error` when set; the command is handled (refused) either way.
ScpiCommonResult Done(ScpiStatus& status, int error, const ScpiUnit& unit) {
  status.PushError(error, unit.header);
  return {true, false, {}};
}

}  // namespace

ScpiCommonResult RunScpiCommon(const ScpiUnit& unit, ScpiStatus& status, bool pending) {
  if (unit.error) return {};
  const bool has_params = !unit.params.empty();
  switch (unit.id) {
    case kScpiCls:
      if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
      status.Clear();
      return {true, false, {}};
    case kScpiEse:
      if (unit.query) {
        if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
        return Answer(std::to_string(status.EventEnable()));
      }
      if (const int error = CheckScpiParamCount(unit, 1, 1)) return Done(status, error, unit);
      if (unit.params[0].kind != ScpiParamKind::kNumber ||
          unit.params[0].unit != ScpiSuffixUnit::kNone) {
        return Done(status, kScpiDataTypeError, unit);
      }
      if (const double mask = std::round(unit.params[0].number); mask < 0 || mask > 255) {
        return Done(status, kScpiDataOutOfRange, unit);
      } else {
        status.SetEventEnable(static_cast<int>(mask));
      }
      return {true, false, {}};
    case kScpiEsr:
      if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
      return Answer(std::to_string(status.ReadEvents()));
    case kScpiOpc:
      if (unit.query) return {};
      if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
      status.RequestOperationComplete(pending);
      return {true, false, {}};
    case kScpiSystemErrorNext:
      if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
      return Answer(status.PopError());
    case kScpiSystemErrorCount:
      if (has_params) return Done(status, kScpiParameterNotAllowed, unit);
      return Answer(std::to_string(status.ErrorCount()));
    default:
      return {};
  }
}

}  // namespace qv
