#pragma once

#include <string_view>

namespace qv {

// Error numbers a remote client reads back with SYSTem:ERRor?. Negative ones are the standard
// SCPI errors; their class (hundreds) decides which event status bit they set.
inline constexpr int kScpiNoError = 0;
inline constexpr int kScpiCommandError = -100;
inline constexpr int kScpiInvalidCharacter = -101;
inline constexpr int kScpiSyntaxError = -102;
inline constexpr int kScpiInvalidSeparator = -103;
inline constexpr int kScpiDataTypeError = -104;
inline constexpr int kScpiParameterNotAllowed = -108;
inline constexpr int kScpiMissingParameter = -109;
inline constexpr int kScpiUndefinedHeader = -113;
inline constexpr int kScpiHeaderSuffixOutOfRange = -114;
inline constexpr int kScpiInvalidSuffix = -131;
inline constexpr int kScpiExecutionError = -200;
inline constexpr int kScpiParameterError = -220;
inline constexpr int kScpiSettingsConflict = -221;
inline constexpr int kScpiDataOutOfRange = -222;
inline constexpr int kScpiIllegalParameterValue = -224;
inline constexpr int kScpiHardwareError = -240;
inline constexpr int kScpiMassStorageError = -250;
inline constexpr int kScpiFileNameNotFound = -256;
inline constexpr int kScpiQueueOverflow = -350;
inline constexpr int kScpiInputBufferOverrun = -363;
inline constexpr int kScpiQueryInterrupted = -410;
inline constexpr int kScpiQueryUnterminated = -420;

// The standard text, e.g. "Undefined header"; for numbers not listed, the text of their class
// ("Command error" for -1xx and so on) or "Device-specific error".
std::string_view ScpiErrorText(int code);

}  // namespace qv
