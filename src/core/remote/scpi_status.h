#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace qv {

// Bits of the standard event status register.
inline constexpr int kEsrOperationComplete = 1 << 0;
inline constexpr int kEsrQueryError = 1 << 2;
inline constexpr int kEsrDeviceError = 1 << 3;
inline constexpr int kEsrExecutionError = 1 << 4;
inline constexpr int kEsrCommandError = 1 << 5;
inline constexpr int kEsrPowerOn = 1 << 7;

// One remote client's error queue and event status registers.
class ScpiStatus {
 public:
  static constexpr size_t kQueueDepth = 16;

  // Queues `code` with its standard text, and `detail` after a ';' when given (one line, quotes
  // made safe, cut short). A full queue keeps its oldest entries and ends in -350 instead.
  // Sets the event status bit of the error's class either way.
  void PushError(int code, std::string_view detail = {});
  // The oldest entry as SYSTem:ERRor? answers it: -113,"Undefined header"; 0,"No error" if none.
  std::string PopError();
  size_t ErrorCount() const { return queue_.size(); }

  void SetEventEnable(int mask) { ese_ = mask & 0xff; }
  int EventEnable() const { return ese_; }
  int Events() const { return esr_; }
  // *ESR?: the register, cleared by the reading.
  int ReadEvents();
  // The status byte's summary bits: 2 when errors are queued, 5 when an enabled event is set.
  int StatusByte() const;

  // *OPC: bit 0 is set now when nothing is pending, else once OperationsComplete() is called.
  void RequestOperationComplete(bool pending);
  void OperationsComplete();
  // *RST and *CLS forget an *OPC still waiting.
  void CancelOperationComplete() { opc_armed_ = false; }

  // *CLS: empties the queue and the event register; the enable register stays.
  void Clear();

 private:
  struct Entry {
    int code;
    std::string text;
  };
  std::deque<Entry> queue_;
  int esr_ = 0;
  int ese_ = 0;
  bool opc_armed_ = false;
};

}  // namespace qv
