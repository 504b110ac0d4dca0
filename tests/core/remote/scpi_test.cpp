#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/remote/scpi_common.h"
#include "core/remote/scpi_error.h"
#include "core/remote/scpi_format.h"
#include "core/remote/scpi_parser.h"
#include "core/remote/scpi_status.h"

namespace qv {
namespace {

enum : int { kStart = kScpiFirstInstrumentId, kStop, kCenter, kPeak, kFormat, kLimitState, kSave };

const std::vector<ScpiCommand> kTable = [] {
  std::vector<ScpiCommand> table(std::begin(kScpiStandardCommands),
                                 std::end(kScpiStandardCommands));
  table.insert(table.end(), {
                                {"[SENSe:]FREQuency:STARt", kStart},
                                {"[SENSe:]FREQuency:STARt?", kStart},
                                {"[SENSe:]FREQuency:STOP", kStop},
                                {"[SENSe:]FREQuency:CENTer", kCenter},
                                {"CALCulate:MARKer#4:MAXimum[:PEAK]", kPeak},
                                {"FORMat[:DATA]", kFormat},
                                {"CALCulate:LIMit#2:STATe", kLimitState},
                                {"MMEMory:STORe:TRACe", kSave},
                            });
  return table;
}();

// Id, query flag and error of each unit, as "id?/error" text for compact comparison.
std::vector<std::string> Summary(const std::string& line) {
  static const ScpiParser parser(kTable);
  std::vector<std::string> out;
  for (const ScpiUnit& unit : parser.Parse(line)) {
    std::string text = unit.error ? std::to_string(unit.error) : std::to_string(unit.id);
    if (!unit.error && unit.query) text += '?';
    for (int suffix : unit.suffixes) text += "#" + std::to_string(suffix);
    out.push_back(text);
  }
  return out;
}

using Units = std::vector<std::string>;

TEST(ScpiParserTest, HeadersFormsCaseOptionalNodesAndSuffixes) {
  // Short and long forms in any case, with and without the optional nodes; neither a longer
  // nor a truncated spelling counts.
  for (const char* line : {"FREQ:STAR 1", "freq:star 1", "SENS:FREQ:STAR 1",
                           "sense:frequency:start 1", ":Sens:Freq:StArT 1"}) {
    EXPECT_EQ(Summary(line), Units{"100"}) << line;
  }
  EXPECT_EQ(Summary("FREQ:STA 1"), Units{"-113"});
  EXPECT_EQ(Summary("FREQ:STARTS 1"), Units{"-113"});
  EXPECT_EQ(Summary("FORM ASC;FORMAT:DATA REAL;:FORM:DATA REAL;:FORM:DAT REAL"),
            (Units{"104", "104", "104", "-113"}));
  EXPECT_EQ(Summary("SYST:ERR?;:SYSTEM:ERROR:NEXT?;:syst:err:coun?"),
            (Units{"8?", "8?", "9?"}));

  // Query and command forms are separate entries; a missing form is an undefined header.
  EXPECT_EQ(Summary("FREQ:STAR?;:FREQ:STOP?;*IDN?;*IDN;*ESE?;*ESE 4"),
            (Units{"100?", "-113", "1?", "-113", "4?", "4"}));
  EXPECT_EQ(Summary("*XYZ;*IDN1?;*;FREQ:FOO 1;:SENS:SENS:FREQ:STAR 1"),
            (Units{"-113", "-113", "-102", "-113", "-113"}));

  // Suffixes: none is 1, within range is taken, outside it (or on a node without one) is not.
  EXPECT_EQ(Summary("CALC:MARK:MAX;:CALC:MARK4:MAX:PEAK;:calculate:marker2:maximum"),
            (Units{"103#1", "103#4", "103#2"}));
  EXPECT_EQ(Summary("CALC:MARK5:MAX;:CALC:MARK0:MAX;:CALC:MARK99999999999:MAX;:CALC:LIM3:STAT ON"),
            (Units{"-114", "-114", "-114", "-114"}));
  EXPECT_EQ(Summary("CALC2:MARK:MAX;:FREQ1:STAR 1"), (Units{"-113", "-113"}));
}

TEST(ScpiParserTest, CompoundLinesFollowTheHeaderPath) {
  // STOP continues under FREQ; a leading ':' goes back to the root; common commands leave the
  // path alone; an erroneous unit does not stop the ones after it.
  EXPECT_EQ(Summary("FREQ:STAR 1MHZ;STOP 2MHZ"), (Units{"100", "101"}));
  EXPECT_EQ(Summary("SENS:FREQ:STAR 1;*CLS;STOP 2;CENT 3"), (Units{"100", "3", "101", "102"}));
  EXPECT_EQ(Summary("FREQ:STAR 1;:FREQ:STOP 2;:STOP 3"), (Units{"100", "101", "-113"}));
  EXPECT_EQ(Summary("FREQ:STAR 1;BOGUS 1;STOP 2;;"), (Units{"100", "-113", "101"}));
  EXPECT_EQ(Summary(""), Units{});
  EXPECT_EQ(Summary(" \r"), Units{});
  // The ';' inside a string is data, not a separator.
  EXPECT_EQ(Summary("MMEM:STOR:TRAC 'a;b';*CLS"), (Units{"106", "3"}));
}

TEST(ScpiParserTest, ParametersUnitsAndKeywords) {
  const ScpiParser parser(kTable);
  const auto units = parser.Parse(
      "FREQ:STAR 2.4GHZ, 1.5 khz,-3e2,+.5E-1MS, -20dBm , 3 DB,10us;"
      "STOP MIN,maximum,DEF,ASCii,on,OFF,'it''s',\"say \"\"hi\"\"\",''");
  ASSERT_EQ(units.size(), 2u);
  ASSERT_EQ(units[0].error, 0);
  const std::vector<ScpiParam>& a = units[0].params;
  ASSERT_EQ(a.size(), 7u);
  EXPECT_DOUBLE_EQ(a[0].number, 2.4e9);
  EXPECT_EQ(a[0].unit, ScpiSuffixUnit::kHertz);
  EXPECT_DOUBLE_EQ(a[1].number, 1500);
  EXPECT_DOUBLE_EQ(a[2].number, -300);
  EXPECT_EQ(a[2].unit, ScpiSuffixUnit::kNone);
  EXPECT_DOUBLE_EQ(a[3].number, 0.05e-3);
  EXPECT_EQ(a[3].unit, ScpiSuffixUnit::kSecond);
  EXPECT_DOUBLE_EQ(a[4].number, -20);
  EXPECT_EQ(a[4].unit, ScpiSuffixUnit::kDbm);
  EXPECT_EQ(a[5].unit, ScpiSuffixUnit::kDb);
  EXPECT_DOUBLE_EQ(a[6].number, 10e-6);

  ASSERT_EQ(units[1].error, 0);
  const std::vector<ScpiParam>& b = units[1].params;
  ASSERT_EQ(b.size(), 9u);
  EXPECT_EQ(b[0].kind, ScpiParamKind::kMin);
  EXPECT_EQ(b[1].kind, ScpiParamKind::kMax);
  EXPECT_EQ(b[2].kind, ScpiParamKind::kDefault);
  EXPECT_EQ(b[3].kind, ScpiParamKind::kChars);
  EXPECT_EQ(b[3].text, "ASCII");
  EXPECT_EQ(ScpiBool(b[4]), true);
  EXPECT_EQ(ScpiBool(b[5]), false);
  EXPECT_EQ(ScpiBool(b[3]), std::nullopt);
  EXPECT_EQ(ScpiBool(a[3]), std::nullopt);  // a number with a unit is no boolean
  EXPECT_EQ(b[6].kind, ScpiParamKind::kString);
  EXPECT_EQ(b[6].text, "it's");
  EXPECT_EQ(b[7].text, "say \"hi\"");
  EXPECT_EQ(b[8].text, "");
  EXPECT_EQ(CheckScpiParamCount(units[1], 1, 9), 0);
  EXPECT_EQ(CheckScpiParamCount(units[1], 10, 10), kScpiMissingParameter);
  EXPECT_EQ(CheckScpiParamCount(units[1], 0, 1), kScpiParameterNotAllowed);

  const auto booleans = parser.Parse("CALC:LIM:STAT 1;STAT 0;STAT 0.4;STAT 2");
  ASSERT_EQ(booleans.size(), 4u);
  EXPECT_EQ(ScpiBool(booleans[0].params.at(0)), true);
  EXPECT_EQ(ScpiBool(booleans[1].params.at(0)), false);
  EXPECT_EQ(ScpiBool(booleans[2].params.at(0)), false);
  EXPECT_EQ(ScpiBool(booleans[3].params.at(0)), true);
}

TEST(ScpiParserTest, MalformedInputGetsItsErrorNumber) {
  EXPECT_EQ(Summary("FREQ:STAR 1 2"), Units{"-103"});
  EXPECT_EQ(Summary("FREQ:STAR,1"), Units{"-103"});
  EXPECT_EQ(Summary("FREQ:STAR 1,"), Units{"-102"});
  EXPECT_EQ(Summary("FREQ:STAR 1,,2"), Units{"-102"});
  EXPECT_EQ(Summary("FREQ:STAR 1.2.3"), Units{"-102"});
  EXPECT_EQ(Summary("FREQ:STAR ."), Units{"-102"});
  EXPECT_EQ(Summary("FREQ:STAR 1 PARSEC"), Units{"-131"});
  EXPECT_EQ(Summary("FREQ:STAR 1e999;STAR 1e308GHZ"), (Units{"-222", "-222"}));
  EXPECT_EQ(Summary("FREQ:STAR #H1F"), Units{"-104"});
  EXPECT_EQ(Summary("FREQ:STAR @"), Units{"-101"});
  EXPECT_EQ(Summary("FREQ::STAR 1"), Units{"-102"});
  EXPECT_EQ(Summary("FREQ:STAR\x01 1"), Units{"-101"});
  EXPECT_EQ(Summary(std::string("FREQ:STAR 1\0;*CLS", 17)), (Units{"-101", "3"}));
  // An unterminated string swallows the rest of the line as one broken unit.
  EXPECT_EQ(Summary("*CLS;MMEM:STOR:TRAC 'x;*CLS"), (Units{"3", "-102"}));
  // Too long is refused whole, however it is made up.
  EXPECT_EQ(Summary(std::string(kScpiMaxLine, ' ')), Units{});
  EXPECT_EQ(Summary("*CLS;" + std::string(kScpiMaxLine, ' ')), Units{"-363"});
  // Deep garbage stays undefined; long lines of units still parse one by one.
  std::string deep = "A";
  for (int i = 0; i < 5000; ++i) deep += ":A";
  EXPECT_EQ(Summary(deep), Units{"-113"});
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "FREQ:STAR 1;";
  EXPECT_EQ(Summary(many).size(), 3000u);
}

TEST(ScpiStatusTest, QueueOverflowsIntoItsLastEntryAndReadsOutInOrder) {
  ScpiStatus status;
  EXPECT_EQ(status.PopError(), "0,\"No error\"");
  status.PushError(kScpiDataOutOfRange, "FREQ:STAR \"x\"\n");
  for (int i = 1; i < 17; ++i) status.PushError(kScpiUndefinedHeader);
  EXPECT_EQ(status.ErrorCount(), 16u);
  status.PushError(kScpiSyntaxError);  // still full: the overflow entry stays last
  EXPECT_EQ(status.ErrorCount(), 16u);
  EXPECT_EQ(status.PopError(), "-222,\"Data out of range;FREQ:STAR \"\"x\"\" \"");
  for (int i = 1; i < 15; ++i) EXPECT_EQ(status.PopError(), "-113,\"Undefined header\"");
  EXPECT_EQ(status.PopError(), "-350,\"Queue overflow\"");
  EXPECT_EQ(status.PopError(), "0,\"No error\"");
  EXPECT_EQ(status.ErrorCount(), 0u);
  // Room again: new errors are queued normally.
  status.PushError(kScpiQueryInterrupted);
  EXPECT_EQ(status.PopError(), "-410,\"Query INTERRUPTED\"");
}

TEST(ScpiStatusTest, EventRegisterBitsEnableReadClearAndOperationComplete) {
  ScpiStatus status;
  const std::pair<int, int> classes[] = {{kScpiSyntaxError, kEsrCommandError},
                                         {kScpiIllegalParameterValue, kEsrExecutionError},
                                         {kScpiMassStorageError, kEsrExecutionError},
                                         {kScpiInputBufferOverrun, kEsrDeviceError},
                                         {kScpiQueryUnterminated, kEsrQueryError},
                                         {5, kEsrDeviceError}};
  for (const auto& [code, bit] : classes) {
    SCOPED_TRACE(code);
    status.PushError(code);
    EXPECT_EQ(status.ReadEvents(), bit);
    EXPECT_EQ(status.ReadEvents(), 0);  // reading cleared it
  }
  status.Clear();

  status.SetEventEnable(kEsrExecutionError | 0x100);
  EXPECT_EQ(status.EventEnable(), kEsrExecutionError);
  status.PushError(kScpiSyntaxError);
  EXPECT_EQ(status.StatusByte(), 1 << 2);  // queued, but not an enabled event
  status.PushError(kScpiDataOutOfRange);
  EXPECT_EQ(status.StatusByte(), (1 << 2) | (1 << 5));
  status.Clear();
  EXPECT_EQ(status.StatusByte(), 0);
  EXPECT_EQ(status.ErrorCount(), 0u);
  EXPECT_EQ(status.EventEnable(), kEsrExecutionError);  // *CLS keeps the enable register

  status.RequestOperationComplete(/*pending=*/false);
  EXPECT_EQ(status.ReadEvents(), kEsrOperationComplete);
  status.RequestOperationComplete(/*pending=*/true);
  EXPECT_EQ(status.Events(), 0);
  status.OperationsComplete();
  EXPECT_EQ(status.ReadEvents(), kEsrOperationComplete);
  status.OperationsComplete();  // nobody asked again
  EXPECT_EQ(status.Events(), 0);
  status.RequestOperationComplete(/*pending=*/true);
  status.Clear();
  status.OperationsComplete();
  EXPECT_EQ(status.Events(), 0);
}

TEST(ScpiFormatTest, NumbersListsStringsAndFloatBlocks) {
  EXPECT_EQ(FormatScpiNumber(2.4e9), "2.4e+09");
  EXPECT_EQ(FormatScpiNumber(-42.5), "-42.5");
  EXPECT_EQ(FormatScpiNumber(2437150000.0), "2437150000");
  EXPECT_EQ(FormatScpiNumber(-0.0), "0");
  EXPECT_EQ(FormatScpiNumber(0.1), "0.1");
  EXPECT_EQ(FormatScpiNumber(1.0 / 3), "0.3333333333333333");
  EXPECT_EQ(FormatScpiNumber(std::nan("")), "9.91e+37");
  const double list[] = {1, -2.5, 1e-7};
  EXPECT_EQ(FormatScpiList(list), "1,-2.5,1e-07");
  const float levels[] = {-42.5f, -90.25f};
  EXPECT_EQ(FormatScpiList(levels), "-42.5,-90.25");
  EXPECT_EQ(QuoteScpiString("say \"hi\"\r\n"), "\"say \"\"hi\"\"  \"");

  // -42.5f is 0xC22A0000 and 1.0f is 0x3F800000.
  const float block_values[] = {-42.5f, 1.0f};
  EXPECT_EQ(FormatScpiFloatBlock(block_values, ScpiByteOrder::kNormal),
            std::string("#18\xC2\x2A\x00\x00\x3F\x80\x00\x00", 11));
  EXPECT_EQ(FormatScpiFloatBlock(block_values, ScpiByteOrder::kSwapped),
            std::string("#18\x00\x00\x2A\xC2\x00\x00\x80\x3F", 11));
  EXPECT_EQ(FormatScpiFloatBlock({}, ScpiByteOrder::kNormal), "#10");
  const std::vector<float> many(3000, 0.0f);
  const std::string big = FormatScpiFloatBlock(many, ScpiByteOrder::kNormal);
  EXPECT_EQ(big.substr(0, 7), "#512000");
  EXPECT_EQ(big.size(), 7u + 12000u);
}

// A client's session of status commands, answers in order, as a remote script sees them.
TEST(ScpiCommonTest, StatusCommandsAnswerFromTheClientsStatus) {
  const ScpiParser parser(kTable);
  ScpiStatus status;
  std::vector<std::string> answers;
  int left_to_instrument = 0;
  auto run = [&](const std::string& line) {
    for (const ScpiUnit& unit : parser.Parse(line)) {
      if (unit.error) {
        status.PushError(unit.error, unit.header);
        continue;
      }
      const ScpiCommonResult result = RunScpiCommon(unit, status, /*pending=*/false);
      if (!result.handled) ++left_to_instrument;
      if (result.answers) answers.push_back(result.answer);
    }
  };
  run("*ESE 36;*ESE?;*FOO;BAR;SYST:ERR:COUN?");
  run("SYST:ERR?;:SYST:ERR:NEXT?;:SYST:ERR?");
  run("*ESR?;*ESR?;*ESE 256;*ESE ON;*ESE;*CLS 1;*OPC;*ESR?;*IDN?;*OPC?;*RST;FREQ:STAR 1");
  run("SYST:ERR?;:SYST:ERR?;:SYST:ERR?;:SYST:ERR?;:SYST:ERR?");
  EXPECT_EQ(answers, (std::vector<std::string>{
                         "36", "2", "-113,\"Undefined header;*FOO\"",
                         "-113,\"Undefined header;BAR\"", "0,\"No error\"",
                         "32", "0", "49",  // CME and EXE from the refused *ESE and *CLS, then OPC
                         "-222,\"Data out of range;*ESE\"", "-104,\"Data type error;*ESE\"",
                         "-109,\"Missing parameter;*ESE\"",
                         "-108,\"Parameter not allowed;*CLS\"", "0,\"No error\""}));
  EXPECT_EQ(left_to_instrument, 4);  // *IDN?, *OPC?, *RST and FREQ:STAR
  EXPECT_EQ(status.EventEnable(), 36);
}

}  // namespace
}  // namespace qv
