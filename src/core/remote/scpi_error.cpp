#include "core/remote/scpi_error.h"

namespace qv {

std::string_view ScpiErrorText(int code) {
  switch (code) {
    case kScpiNoError: return "No error";
    case kScpiCommandError: return "Command error";
    case kScpiInvalidCharacter: return "Invalid character";
    case kScpiSyntaxError: return "Syntax error";
    case kScpiInvalidSeparator: return "Invalid separator";
    case kScpiDataTypeError: return "Data type error";
    case kScpiParameterNotAllowed: return "Parameter not allowed";
    case kScpiMissingParameter: return "Missing parameter";
    case kScpiUndefinedHeader: return "Undefined header";
    case kScpiHeaderSuffixOutOfRange: return "Header suffix out of range";
    case kScpiInvalidSuffix: return "Invalid suffix";
    case kScpiExecutionError: return "Execution error";
    case kScpiParameterError: return "Parameter error";
    case kScpiSettingsConflict: return "Settings conflict";
    case kScpiDataOutOfRange: return "Data out of range";
    case kScpiIllegalParameterValue: return "Illegal parameter value";
    case kScpiHardwareError: return "Hardware error";
    case kScpiMassStorageError: return "Mass storage error";
    case kScpiFileNameNotFound: return "File name not found";
    case kScpiQueueOverflow: return "Queue overflow";
    case kScpiInputBufferOverrun: return "Input buffer overrun";
    case kScpiQueryInterrupted: return "Query INTERRUPTED";
    case kScpiQueryUnterminated: return "Query UNTERMINATED";
    default: break;
  }
  if (code <= -100 && code > -200) return "Command error";
  if (code <= -200 && code > -300) return "Execution error";
  if (code <= -300 && code > -400) return "Device-specific error";
  if (code <= -400 && code > -500) return "Query error";
  return "Device-specific error";
}

}  // namespace qv
