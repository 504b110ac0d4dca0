#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Longer lines are refused whole (-363); the server bounds its reads too.
inline constexpr size_t kScpiMaxLine = 64 * 1024;
// No command is deeper; deeper headers are undefined without being looked up.
inline constexpr size_t kScpiMaxHeaderDepth = 12;
// A bare '#' in a pattern takes suffixes 1..this.
inline constexpr int kScpiDefaultSuffixMax = 16;

// One command as written in the command tables of bench instruments: capitals are the short
// form, the whole word the long form, [..] an optional node, '#' where a numeric suffix may
// stand (1..16, or 1..N with '#N'), and a trailing '?' for the query form. A command with both
// forms has two entries, usually with one id:
//   {"[SENSe:]FREQuency:STARt", kStart}, {"[SENSe:]FREQuency:STARt?", kStart},
//   {"CALCulate:MARKer#4:MAXimum[:PEAK]", kPeak}
struct ScpiCommand {
  std::string_view pattern;
  int id = 0;
};

// Ids of the standard commands below; the instrument's own ids start at kScpiFirstInstrumentId.
enum ScpiStandardId : int {
  kScpiIdn = 1,
  kScpiRst,
  kScpiCls,
  kScpiEse,
  kScpiEsr,
  kScpiOpc,
  kScpiWai,
  kScpiSystemErrorNext,
  kScpiSystemErrorCount,
  kScpiFirstInstrumentId = 100,
};

inline constexpr ScpiCommand kScpiStandardCommands[] = {
    {"*IDN?", kScpiIdn},
    {"*RST", kScpiRst},
    {"*CLS", kScpiCls},
    {"*ESE", kScpiEse},
    {"*ESE?", kScpiEse},
    {"*ESR?", kScpiEsr},
    {"*OPC", kScpiOpc},
    {"*OPC?", kScpiOpc},
    {"*WAI", kScpiWai},
    {"SYSTem:ERRor[:NEXT]?", kScpiSystemErrorNext},
    {"SYSTem:ERRor:COUNt?", kScpiSystemErrorCount},
};

enum class ScpiParamKind { kNumber, kMin, kMax, kDefault, kChars, kString };

// The unit a number was given in; the number itself is then in Hz, dBm, dB or s.
enum class ScpiSuffixUnit { kNone, kHertz, kDbm, kDb, kSecond };

struct ScpiParam {
  ScpiParamKind kind = ScpiParamKind::kNumber;
  double number = 0;
  ScpiSuffixUnit unit = ScpiSuffixUnit::kNone;
  std::string text;  // character data upper-cased, or a string's contents
};

// ON, OFF or a number (rounded: non-zero is on); nothing for anything else.
std::optional<bool> ScpiBool(const ScpiParam& param);

// One program message unit. With `error` set it must not be executed; the rest is then partial.
struct ScpiUnit {
  int id = 0;
  bool query = false;
  std::vector<int> suffixes;  // one per '#' in the pattern, 1 where the client left it out
  std::vector<ScpiParam> params;
  int error = 0;
  std::string header;  // as resolved, upper-cased, e.g. "FREQ:STOP", for error details
};

// 0 when the unit has min..max parameters, else -109 or -108.
int CheckScpiParamCount(const ScpiUnit& unit, size_t min, size_t max);

// Splits a line (the terminator already taken off) into its units and looks each up in a table.
class ScpiParser {
 public:
  explicit ScpiParser(std::span<const ScpiCommand> table);

  // Every unit of the line in order, errors included. Units with an error are not to be run but
  // the ones after them are: a client sending "A;B" gets B done and A in the error queue, as if
  // it had sent two lines, and the queue tells it which. Work is linear in the line's length.
  std::vector<ScpiUnit> Parse(std::string_view line) const;

  struct Node {
    std::string short_form;
    std::string long_form;
    bool optional = false;
    int suffix_max = 0;   // 0: takes no suffix
    int suffix_slot = -1;
  };
  struct Entry {
    std::vector<Node> nodes;
    size_t required = 0;
    int suffix_slots = 0;  // not "slots": Qt takes that word for a macro
    bool query = false;
    int id = 0;
  };

 private:
  std::vector<Entry> entries_;
};

}  // namespace qv
