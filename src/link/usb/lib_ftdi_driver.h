#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/usb/ftdi_driver.h"

namespace qv {

// The converter driver on libftdi1. Lists the Receiver's own ids and the converter maker's
// usual ones; "open to ask" handles answer from the listing without claiming the device, so
// listing never detaches the kernel's serial driver. Received-data notification comes from a
// reader thread per open device.
class LibFtdiDriver : public FtdiDriver {
 public:
  // The chip holds back a partly filled packet for its latency timer (16 ms by default, about
  // 184 bytes at 115200 baud, most of a sweep block). 2 ms keeps blocks flowing as they come.
  static constexpr unsigned char kLatencyMs = 2;

  LibFtdiDriver();
  ~LibFtdiDriver() override;

  int ListCount(uint32_t* count) override;
  int ListSerialNumber(uint32_t index, std::string* serial) override;
  int ListDescription(uint32_t index, std::string* description) override;
  int OpenFileBySerialNumber(const std::string& serial, FtdiHandle* handle) override;
  int GetDeviceInfo(FtdiHandle handle, FtdiDeviceInfo* info) override;
  int OpenBySerialNumber(const std::string& serial, FtdiHandle* handle) override;
  int SetDivisor(FtdiHandle handle, uint16_t divisor) override;
  int SetDataCharacteristics(FtdiHandle handle, uint8_t word_length, uint8_t stop_bits,
                             uint8_t parity) override;
  int SetFlowControl(FtdiHandle handle, uint16_t flow, uint8_t xon, uint8_t xoff) override;
  int SetDtr(FtdiHandle handle) override;
  int SetRts(FtdiHandle handle) override;
  int SetTimeouts(FtdiHandle handle, uint32_t read_ms, uint32_t write_ms) override;
  int SetEventNotification(FtdiHandle handle, uint32_t mask, FtdiEvent* event) override;
  int GetStatus(FtdiHandle handle, uint32_t* rx_bytes, uint32_t* tx_bytes,
                uint32_t* event_status) override;
  int Read(FtdiHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) override;
  int Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length, uint32_t* written) override;
  int ClearRts(FtdiHandle handle) override;
  int ClearDtr(FtdiHandle handle) override;
  int Close(FtdiHandle handle) override;

 private:
  struct Listed {
    std::string serial;
    std::string description;
    uint16_t vendor = 0;
    uint16_t product = 0;
    uint32_t type = 0;
  };
  struct Device;

  std::shared_ptr<Device> Find(FtdiHandle handle);
  // Runs call on the device's libftdi context, serialised with its reader.
  template <typename Call>
  int OnContext(FtdiHandle handle, Call call);

  std::mutex mutex_;  // listing and the handle table
  std::vector<Listed> listed_;
  std::map<FtdiHandle, std::shared_ptr<Device>> handles_;
  FtdiHandle next_handle_ = 1;
};

}  // namespace qv
