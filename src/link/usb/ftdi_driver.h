#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

// A device handle of an FtdiDriver; kNoFtdiHandle is never a valid one.
using FtdiHandle = uint32_t;
inline constexpr FtdiHandle kNoFtdiHandle = 0;

// Driver status: 0 is success, anything else a failure (the driver's own code).
inline constexpr int kFtdiOk = 0;
inline constexpr int kFtdiError = 1;
// The device went away (unplugged): its handle is dead, only Close is left to do with it.
inline constexpr int kFtdiDeviceGone = 2;

// Event notification mask bit: characters received.
inline constexpr uint32_t kFtdiEventRxChar = 1;

// What the driver wakes when characters arrive. Signal may be called on any thread.
class FtdiEvent {
 public:
  virtual ~FtdiEvent() = default;
  virtual void Signal() = 0;
};

struct FtdiDeviceInfo {
  uint32_t type = 0;
  uint32_t id = 0;  // vendor id << 16 | product id
  std::string serial;
  std::string description;
};

// The converter driver, one operation per call the USB link makes, in the driver's terms:
// every call answers a status, kFtdiOk on success. Implementations are safe to call from
// several threads (the page lists devices while the worker owns an open one).
class FtdiDriver {
 public:
  virtual ~FtdiDriver() = default;

  // Listing: the number of devices, then each one's serial number and description by index.
  virtual int ListCount(uint32_t* count) = 0;
  virtual int ListSerialNumber(uint32_t index, std::string* serial) = 0;
  virtual int ListDescription(uint32_t index, std::string* description) = 0;

  // Opens a device just to ask about it (file style, by serial number); closed with Close.
  virtual int OpenFileBySerialNumber(const std::string& serial, FtdiHandle* handle) = 0;
  virtual int GetDeviceInfo(FtdiHandle handle, FtdiDeviceInfo* info) = 0;

  // Opens a device for traffic.
  virtual int OpenBySerialNumber(const std::string& serial, FtdiHandle* handle) = 0;
  virtual int SetDivisor(FtdiHandle handle, uint16_t divisor) = 0;
  virtual int SetDataCharacteristics(FtdiHandle handle, uint8_t word_length, uint8_t stop_bits,
                                     uint8_t parity) = 0;
  virtual int SetFlowControl(FtdiHandle handle, uint16_t flow, uint8_t xon, uint8_t xoff) = 0;
  // Line controls: raised after opening, dropped before closing.
  virtual int SetDtr(FtdiHandle handle) = 0;
  virtual int SetRts(FtdiHandle handle) = 0;
  virtual int SetTimeouts(FtdiHandle handle, uint32_t read_ms, uint32_t write_ms) = 0;
  // With mask kFtdiEventRxChar the driver signals event whenever characters arrive; 0 stops it.
  virtual int SetEventNotification(FtdiHandle handle, uint32_t mask, FtdiEvent* event) = 0;
  // Status, Read and Write answer kFtdiDeviceGone once the device is gone; with notification on
  // the event is signalled when that happens.
  virtual int GetStatus(FtdiHandle handle, uint32_t* rx_bytes, uint32_t* tx_bytes,
                        uint32_t* event_status) = 0;
  virtual int Read(FtdiHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) = 0;
  virtual int Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length,
                    uint32_t* written) = 0;
  virtual int ClearRts(FtdiHandle handle) = 0;
  virtual int ClearDtr(FtdiHandle handle) = 0;
  virtual int Close(FtdiHandle handle) = 0;
};

}  // namespace qv
