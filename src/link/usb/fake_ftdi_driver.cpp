#include "link/usb/fake_ftdi_driver.h"

#include <QMetaObject>
#include <algorithm>

#include "core/link/usb_rules.h"

namespace qv {

FakeFtdiDriver::FakeFtdiDriver(QObject* peer_context) : peer_context_(peer_context) {}

void FakeFtdiDriver::AddDevice(const FakeFtdiDevice& device, Peer peer) {
  std::lock_guard lock(mutex_);
  devices_.push_back(Device{device, std::move(peer), {}, {}, kNoFtdiHandle, true});
}

void FakeFtdiDriver::Unplug(const std::string& serial) {
  std::lock_guard lock(mutex_);
  for (auto& entry : handles_) {
    if (entry.second.serial == serial) entry.second.gone = true;
  }
  Device* device = Attached(serial);
  if (device == nullptr) return;
  device->attached = false;
  if (device->open == kNoFtdiHandle) return;
  // Under the lock, as DeliverFromDevice signals.
  if (device->rx.event != nullptr) device->rx.event->Signal();
  device->open = kNoFtdiHandle;
  device->rx = {};
}

void FakeFtdiDriver::PlugIn(const std::string& serial) {
  std::lock_guard lock(mutex_);
  for (Device& device : devices_) {
    if (device.info.serial == serial) device.attached = true;
  }
}

void FakeFtdiDriver::DeliverFromDevice(const std::string& serial, const uint8_t* data,
                                       size_t length) {
  std::lock_guard lock(mutex_);
  for (Device& device : devices_) {
    if (device.info.serial != serial || device.open == kNoFtdiHandle) continue;
    // Signalled under the lock, so the event cannot be switched off and destroyed meanwhile.
    device.rx.Append(data, length);
  }
}

void FakeFtdiDriver::SetListFails(bool fails) {
  std::lock_guard lock(mutex_);
  list_fails_ = fails;
}

void FakeFtdiDriver::SetOpenFails(bool fails) {
  std::lock_guard lock(mutex_);
  open_fails_ = fails;
}

void FakeFtdiDriver::SetWriteFails(bool fails) {
  std::lock_guard lock(mutex_);
  write_fails_ = fails;
}

void FakeFtdiDriver::SetDeviceInfoFails(bool fails) {
  std::lock_guard lock(mutex_);
  info_fails_ = fails;
}

std::vector<std::string> FakeFtdiDriver::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<uint8_t> FakeFtdiDriver::Written(const std::string& serial) const {
  std::lock_guard lock(mutex_);
  for (const Device& device : devices_) {
    if (device.info.serial == serial) return device.written;
  }
  return {};
}

int FakeFtdiDriver::OpenHandles() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(handles_.size());
}

FakeFtdiDriver::Device* FakeFtdiDriver::DeviceOf(FtdiHandle handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.gone) return nullptr;
  for (Device& device : devices_) {
    if (device.info.serial == found->second.serial) return &device;
  }
  return nullptr;
}

int FakeFtdiDriver::Failed(FtdiHandle handle) const {
  const auto found = handles_.find(handle);
  return found != handles_.end() && found->second.gone ? kFtdiDeviceGone : kFtdiError;
}

int FakeFtdiDriver::Record(FtdiHandle handle, const std::string& call) {
  calls_.push_back(call);
  return DeviceOf(handle) != nullptr ? kFtdiOk : kFtdiError;
}

FakeFtdiDriver::Device* FakeFtdiDriver::Attached(const std::string& serial) {
  for (Device& device : devices_) {
    if (device.attached && device.info.serial == serial) return &device;
  }
  return nullptr;
}

const FakeFtdiDriver::Device* FakeFtdiDriver::Listed(uint32_t index) const {
  for (const Device& device : devices_) {
    if (device.attached && index-- == 0) return &device;
  }
  return nullptr;
}

int FakeFtdiDriver::ListCount(uint32_t* count) {
  std::lock_guard lock(mutex_);
  calls_.push_back("ListCount");
  *count = 0;
  if (list_fails_) return kFtdiError;
  *count = static_cast<uint32_t>(
      std::count_if(devices_.begin(), devices_.end(), [](const Device& d) { return d.attached; }));
  return kFtdiOk;
}

int FakeFtdiDriver::ListSerialNumber(uint32_t index, std::string* serial) {
  std::lock_guard lock(mutex_);
  const Device* device = Listed(index);
  if (device == nullptr) return kFtdiError;
  *serial = device->info.serial;
  return kFtdiOk;
}

int FakeFtdiDriver::ListDescription(uint32_t index, std::string* description) {
  std::lock_guard lock(mutex_);
  const Device* device = Listed(index);
  if (device == nullptr) return kFtdiError;
  *description = device->info.description;
  return kFtdiOk;
}

int FakeFtdiDriver::OpenFileBySerialNumber(const std::string& serial, FtdiHandle* handle) {
  std::lock_guard lock(mutex_);
  calls_.push_back("OpenFile " + serial);
  *handle = kNoFtdiHandle;
  if (Attached(serial) == nullptr) return kFtdiError;
  *handle = next_handle_++;
  handles_[*handle] = Handle{serial, false};
  return kFtdiOk;
}

int FakeFtdiDriver::GetDeviceInfo(FtdiHandle handle, FtdiDeviceInfo* info) {
  std::lock_guard lock(mutex_);
  Device* device = DeviceOf(handle);
  if (device == nullptr || info_fails_) return kFtdiError;
  info->type = 5;
  info->id = UsbDeviceId(device->info.vendor, device->info.product);
  info->serial = device->info.serial;
  info->description = device->info.description;
  return kFtdiOk;
}

int FakeFtdiDriver::OpenBySerialNumber(const std::string& serial, FtdiHandle* handle) {
  std::lock_guard lock(mutex_);
  calls_.push_back("Open " + serial);
  *handle = kNoFtdiHandle;
  Device* device = Attached(serial);
  if (open_fails_ || device == nullptr) return kFtdiError;
  if (device->open != kNoFtdiHandle) return kFtdiError;  // one owner at a time
  *handle = next_handle_++;
  handles_[*handle] = Handle{serial, true};
  device->open = *handle;
  device->rx.bytes.clear();
  return kFtdiOk;
}

int FakeFtdiDriver::SetDivisor(FtdiHandle handle, uint16_t divisor) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetDivisor " + std::to_string(divisor));
}

int FakeFtdiDriver::SetDataCharacteristics(FtdiHandle handle, uint8_t word_length,
                                           uint8_t stop_bits, uint8_t parity) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetDataCharacteristics " + std::to_string(word_length) + " " +
                            std::to_string(stop_bits) + " " + std::to_string(parity));
}

int FakeFtdiDriver::SetFlowControl(FtdiHandle handle, uint16_t flow, uint8_t, uint8_t) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetFlowControl " + std::to_string(flow));
}

int FakeFtdiDriver::SetDtr(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetDtr");
}

int FakeFtdiDriver::SetRts(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetRts");
}

int FakeFtdiDriver::SetTimeouts(FtdiHandle handle, uint32_t read_ms, uint32_t write_ms) {
  std::lock_guard lock(mutex_);
  return Record(handle, "SetTimeouts " + std::to_string(read_ms) + " " + std::to_string(write_ms));
}

int FakeFtdiDriver::SetEventNotification(FtdiHandle handle, uint32_t mask, FtdiEvent* event) {
  std::lock_guard lock(mutex_);
  const int status = Record(handle, "SetEventNotification " + std::to_string(mask));
  if (Device* device = DeviceOf(handle)) device->rx.SetNotification(mask, event);
  return status;
}

int FakeFtdiDriver::GetStatus(FtdiHandle handle, uint32_t* rx_bytes, uint32_t* tx_bytes,
                              uint32_t* event_status) {
  std::lock_guard lock(mutex_);
  Device* device = DeviceOf(handle);
  if (device == nullptr) return Failed(handle);
  *rx_bytes = static_cast<uint32_t>(device->rx.bytes.size());
  *tx_bytes = 0;
  *event_status = 0;
  return kFtdiOk;
}

int FakeFtdiDriver::Read(FtdiHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  std::lock_guard lock(mutex_);
  *read = 0;
  Device* device = DeviceOf(handle);
  if (device == nullptr) return Failed(handle);
  *read = device->rx.Take(buffer, count);
  return kFtdiOk;
}

int FakeFtdiDriver::Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length,
                          uint32_t* written) {
  Peer peer;
  std::vector<uint8_t> bytes(buffer, buffer + length);
  {
    std::lock_guard lock(mutex_);
    *written = 0;
    calls_.push_back("Write " + std::to_string(length));
    Device* device = DeviceOf(handle);
    if (device == nullptr) return Failed(handle);
    if (write_fails_) return kFtdiError;
    device->written.insert(device->written.end(), bytes.begin(), bytes.end());
    peer = device->peer;
    *written = length;
  }
  // Outside the lock: a peer may answer at once through DeliverFromDevice.
  if (peer) {
    if (peer_context_ != nullptr) {
      QMetaObject::invokeMethod(
          peer_context_, [peer, bytes] { peer(bytes.data(), bytes.size()); }, Qt::QueuedConnection);
    } else {
      peer(bytes.data(), bytes.size());
    }
  }
  return kFtdiOk;
}

int FakeFtdiDriver::ClearRts(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  return Record(handle, "ClearRts");
}

int FakeFtdiDriver::ClearDtr(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  return Record(handle, "ClearDtr");
}

int FakeFtdiDriver::Close(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  calls_.push_back("Close");
  const auto found = handles_.find(handle);
  if (found == handles_.end()) return kFtdiError;
  if (found->second.traffic) {
    if (Device* device = DeviceOf(handle)) {
      device->open = kNoFtdiHandle;
      device->rx = {};
    }
  }
  handles_.erase(found);
  return kFtdiOk;
}

}  // namespace qv
