// Parses arbitrary bytes as one line from a remote client against a table like the
// instrument's, and runs the status commands on a client's status. The queue never grows past
// its depth, every answer is one line, and numbers taken read back as themselves.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/remote/scpi_common.h"
#include "core/remote/scpi_error.h"
#include "core/remote/scpi_format.h"
#include "core/remote/scpi_parser.h"
#include "core/remote/scpi_status.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

void CheckOneLine(const std::string& answer) {
  Check(answer.find('\n') == std::string::npos && answer.find('\r') == std::string::npos);
}

const qv::ScpiParser& Parser() {
  static const std::vector<qv::ScpiCommand> table = [] {
    std::vector<qv::ScpiCommand> t(std::begin(qv::kScpiStandardCommands),
                                   std::end(qv::kScpiStandardCommands));
    t.insert(t.end(), {{"[SENSe:]FREQuency:STARt", 100},
                       {"[SENSe:]FREQuency:STARt?", 100},
                       {"[SENSe:]FREQuency:STOP", 101},
                       {"CALCulate#:MARKer#4:MAXimum[:PEAK]", 102},
                       {"FORMat[:DATA]", 103},
                       {"[:TRACe][:DATA]?", 104},
                       {"MMEMory:STORe:TRACe", 105}});
    return t;
  }();
  static const qv::ScpiParser parser(table);
  return parser;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  qv::ScpiStatus status;
  for (const qv::ScpiUnit& unit : Parser().Parse(line)) {
    Check(unit.error <= 0);
    if (unit.error) {
      Check(unit.error >= -499);
      status.PushError(unit.error, unit.header);
      Check(status.ErrorCount() <= qv::ScpiStatus::kQueueDepth);
      continue;
    }
    Check(unit.id > 0);
    for (const int suffix : unit.suffixes) Check(suffix >= 1 && suffix <= qv::kScpiDefaultSuffixMax);
    for (const qv::ScpiParam& param : unit.params) {
      if (param.kind != qv::ScpiParamKind::kNumber) continue;
      Check(std::isfinite(param.number));
      const std::string text = qv::FormatScpiNumber(param.number);
      CheckOneLine(text);
      double back = 0;
      std::from_chars(text.data(), text.data() + text.size(), back);
      Check(back == param.number || (param.number == 0 && back == 0));
      std::string answer = qv::QuoteScpiString(param.text);
      CheckOneLine(answer);
    }
    const size_t before = status.ErrorCount();
    const qv::ScpiCommonResult result = qv::RunScpiCommon(unit, status, unit.params.size() == 1);
    if (result.answers) CheckOneLine(result.answer);
    if (unit.id == qv::kScpiSystemErrorNext && unit.params.empty()) {
      Check(status.ErrorCount() == (before ? before - 1 : 0));
    }
    if (!result.handled) {
      if (const int error = qv::CheckScpiParamCount(unit, 1, 2)) status.PushError(error);
    }
    Check(status.ErrorCount() <= qv::ScpiStatus::kQueueDepth);
  }
  while (status.ErrorCount() > 0) CheckOneLine(status.PopError());
  Check(status.PopError() == "0,\"No error\"");
  return 0;
}
