#pragma once

#include <string>

#include "core/remote/scpi_parser.h"
#include "core/remote/scpi_status.h"

namespace qv {

struct ScpiCommonResult {
  bool handled = false;  // false: the unit is the instrument's to run (*IDN?, *RST, *WAI, ...)
  bool answers = false;  // `answer` is to be sent, one line
  std::string answer;
};

// Runs the status commands that need nothing but the client's status: *CLS, *ESE, *ESE?, *ESR?,
// *OPC, SYSTem:ERRor[:NEXT]? and SYSTem:ERRor:COUNt?. `pending`: operations still running, for
// *OPC. Wrong parameters are queued as errors. *OPC? and *WAI wait, so the session runs them.
ScpiCommonResult RunScpiCommon(const ScpiUnit& unit, ScpiStatus& status, bool pending);

}  // namespace qv
