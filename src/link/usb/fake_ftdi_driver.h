#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/usb/ftdi_driver.h"
#include "link/usb/ftdi_receive_queue.h"

namespace qv {

// An attached converter as the fake driver presents it.
struct FakeFtdiDevice {
  std::string serial;
  std::string description;
  uint16_t vendor = 0;
  uint16_t product = 0;
};

// A driver with no hardware: devices are whatever the test or demo adds, bytes written to a
// device go to that device's peer (e.g. a simulated Receiver), and bytes the peer sends back
// become readable with the received-data event signalled. Thread-safe like the real one.
class FakeFtdiDriver : public FtdiDriver {
 public:
  // Receives what the host wrote to the device.
  using Peer = std::function<void(const uint8_t* data, size_t length)>;

  // With a context, peers are called on the context's thread through its event loop, so a peer
  // that lives on the GUI thread is never entered from the USB worker.
  explicit FakeFtdiDriver(QObject* peer_context = nullptr);

  void AddDevice(const FakeFtdiDevice& device, Peer peer = {});
  // Bytes from the device to the host; kept until read while the device is open, else lost.
  void DeliverFromDevice(const std::string& serial, const uint8_t* data, size_t length);

  // Pulls the device's cable: its handles go dead (the owner is signalled, then hears
  // kFtdiDeviceGone) and it is no longer listed or opened until plugged in again.
  void Unplug(const std::string& serial);
  void PlugIn(const std::string& serial);

  // Failure injection.
  void SetListFails(bool fails);
  void SetOpenFails(bool fails);
  void SetWriteFails(bool fails);
  void SetDeviceInfoFails(bool fails);

  // What happened: every call by name with its main argument ("SetDivisor 26"), the bytes
  // written to a device, and how many handles are open.
  std::vector<std::string> Calls() const;
  std::vector<uint8_t> Written(const std::string& serial) const;
  int OpenHandles() const;

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
  struct Device {
    FakeFtdiDevice info;
    Peer peer;
    std::vector<uint8_t> written;
    FtdiReceiveQueue rx;  // filled only while open for traffic
    FtdiHandle open = kNoFtdiHandle;
    bool attached = true;
  };
  struct Handle {
    std::string serial;
    bool traffic = false;  // opened for traffic, not just to ask about it
    bool gone = false;     // its device was unplugged
  };

  // All need mutex_ held. DeviceOf is null for a dead handle, which Failed tells apart.
  Device* DeviceOf(FtdiHandle handle);
  int Failed(FtdiHandle handle) const;
  int Record(FtdiHandle handle, const std::string& call);
  Device* Attached(const std::string& serial);
  const Device* Listed(uint32_t index) const;

  QObject* peer_context_;  // outlives the driver
  mutable std::mutex mutex_;
  std::vector<Device> devices_;
  std::map<FtdiHandle, Handle> handles_;
  FtdiHandle next_handle_ = 1;
  std::vector<std::string> calls_;
  bool list_fails_ = false;
  bool open_fails_ = false;
  bool write_fails_ = false;
  bool info_fails_ = false;
};

}  // namespace qv
