#include "core/remote/scpi_status.h"

#include "core/remote/scpi_error.h"
#include "core/remote/scpi_format.h"

namespace qv {
namespace {

constexpr size_t kDetailMax = 80;

int ClassBit(int code) {
  if (code <= -100 && code > -200) return kEsrCommandError;
  if (code <= -200 && code > -300) return kEsrExecutionError;
  if (code <= -400 && code > -500) return kEsrQueryError;
  return kEsrDeviceError;  // -3xx and the instrument's own errors
}

std::string EntryText(int code, std::string_view detail) {
  std::string text(ScpiErrorText(code));
  if (!detail.empty()) {
    text += ';';
    text += detail.substr(0, kDetailMax);
  }
  return text;
}

}  // namespace

void ScpiStatus::PushError(int code, std::string_view detail) {
  if (code == kScpiNoError) return;
  esr_ |= ClassBit(code);
  if (queue_.size() < kQueueDepth) {
    queue_.push_back({code, EntryText(code, detail)});
    return;
  }
  esr_ |= ClassBit(kScpiQueueOverflow);
  queue_.back() = {kScpiQueueOverflow, std::string(ScpiErrorText(kScpiQueueOverflow))};
}

std::string ScpiStatus::PopError() {
  if (queue_.empty()) return "0," + QuoteScpiString(ScpiErrorText(kScpiNoError));
  const Entry entry = std::move(queue_.front());
  queue_.pop_front();
  return std::to_string(entry.code) + "," + QuoteScpiString(entry.text);
}

int ScpiStatus::ReadEvents() {
  const int events = esr_;
  esr_ = 0;
  return events;
}

int ScpiStatus::StatusByte() const {
  int stb = 0;
  if (!queue_.empty()) stb |= 1 << 2;
  if (esr_ & ese_) stb |= 1 << 5;
  return stb;
}

void ScpiStatus::RequestOperationComplete(bool pending) {
  if (pending) {
    opc_armed_ = true;
  } else {
    esr_ |= kEsrOperationComplete;
  }
}

void ScpiStatus::OperationsComplete() {
  if (!opc_armed_) return;
  opc_armed_ = false;
  esr_ |= kEsrOperationComplete;
}

void ScpiStatus::Clear() {
  queue_.clear();
  esr_ = 0;
  opc_armed_ = false;
}

}  // namespace qv
