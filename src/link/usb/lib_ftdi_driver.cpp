#include "link/usb/lib_ftdi_driver.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <utility>

#include "core/link/usb_rules.h"
#include "link/usb/ftdi_receive_queue.h"

namespace qv {

namespace {

struct UsbIds {
  uint16_t vendor;
  uint16_t product;
};

// The Receiver's own ids first, then the converter maker's usual ones.
constexpr std::array<UsbIds, 7> kKnownIds = {{{kZtkVendorId, kTriskadeonProductId},
                                              {kZtkVendorId, kFarnobellProductId},
                                              {0x0403, 0x6001},
                                              {0x0403, 0x6010},
                                              {0x0403, 0x6011},
                                              {0x0403, 0x6014},
                                              {0x0403, 0x6015}}};

// The reader wakes at least this often to notice a close, whatever time-outs are asked for.
constexpr int kReaderTimeoutMs = 100;
constexpr int kReaderChunk = 4096;

struct ContextDeleter {
  void operator()(ftdi_context* context) const { ftdi_free(context); }
};
using ContextPtr = std::unique_ptr<ftdi_context, ContextDeleter>;

}  // namespace

struct LibFtdiDriver::Device {
  Listed info;
  // Open for traffic; null for a handle opened only to ask about the device.
  ContextPtr context;
  std::mutex io;  // the libftdi context: reader and caller take turns

  std::mutex state;  // everything below
  std::condition_variable wake;
  FtdiReceiveQueue rx;
  bool stop = false;
  bool gone = false;  // unplugged; the reader has ended
  std::thread reader;

  void ReadLoop() {
    std::vector<uint8_t> chunk(kReaderChunk);
    int failed_in_row = 0;
    for (;;) {
      int n;
      {
        std::lock_guard lock(io);
        n = ftdi_read_data(context.get(), chunk.data(), kReaderChunk);
      }
      std::unique_lock lock(state);
      if (stop) return;
      failed_in_row = n < 0 ? failed_in_row + 1 : 0;
      if (UsbReadMeansGone(n, failed_in_row)) {
        gone = true;
        if (rx.event != nullptr) rx.event->Signal();  // the owner's next call hears of it
        return;
      }
      if (n > 0) {
        rx.Append(chunk.data(), static_cast<size_t>(n));
      } else {
        // Nothing waiting, or a transfer error that may pass: back off a little rather than
        // spin, but stay quick to notice a close.
        wake.wait_for(lock, std::chrono::milliseconds(n < 0 ? 50 : 1), [&] { return stop; });
        if (stop) return;
      }
    }
  }

  void StopReader() {
    {
      std::lock_guard lock(state);
      stop = true;
      rx.event = nullptr;
    }
    wake.notify_all();
    if (reader.joinable()) reader.join();
  }
};

LibFtdiDriver::LibFtdiDriver() = default;

LibFtdiDriver::~LibFtdiDriver() {
  std::map<FtdiHandle, std::shared_ptr<Device>> handles;
  {
    std::lock_guard lock(mutex_);
    handles.swap(handles_);
  }
  for (auto& [handle, device] : handles) {
    if (device->context) {
      device->StopReader();
      ftdi_usb_close(device->context.get());
    }
  }
}

int LibFtdiDriver::ListCount(uint32_t* count) {
  *count = 0;
  ContextPtr context(ftdi_new());
  if (!context) return kFtdiError;  // libusb could not start: no USB here at all
  std::vector<Listed> found;
  for (const UsbIds& ids : kKnownIds) {
    ftdi_device_list* list = nullptr;
    const int n = ftdi_usb_find_all(context.get(), &list, ids.vendor, ids.product);
    if (n < 0) {
      ftdi_list_free(&list);
      return kFtdiError;
    }
    for (ftdi_device_list* item = list; item != nullptr; item = item->next) {
      Listed listed;
      listed.vendor = ids.vendor;
      listed.product = ids.product;
      std::array<char, 128> description{};
      std::array<char, 128> serial{};
      // Needs permission to open the device; without it the strings stay empty.
      if (ftdi_usb_get_strings(context.get(), item->dev, nullptr, 0, description.data(),
                               description.size(), serial.data(), serial.size()) == 0) {
        listed.description = description.data();
        listed.serial = serial.data();
      }
      libusb_device_descriptor descriptor{};
      if (libusb_get_device_descriptor(item->dev, &descriptor) == 0) {
        listed.type = descriptor.bcdDevice;
      }
      found.push_back(std::move(listed));
    }
    ftdi_list_free(&list);
  }
  std::lock_guard lock(mutex_);
  listed_ = std::move(found);
  *count = static_cast<uint32_t>(listed_.size());
  return kFtdiOk;
}

int LibFtdiDriver::ListSerialNumber(uint32_t index, std::string* serial) {
  std::lock_guard lock(mutex_);
  if (index >= listed_.size()) return kFtdiError;
  *serial = listed_[index].serial;
  return kFtdiOk;
}

int LibFtdiDriver::ListDescription(uint32_t index, std::string* description) {
  std::lock_guard lock(mutex_);
  if (index >= listed_.size()) return kFtdiError;
  *description = listed_[index].description;
  return kFtdiOk;
}

int LibFtdiDriver::OpenFileBySerialNumber(const std::string& serial, FtdiHandle* handle) {
  *handle = kNoFtdiHandle;
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(listed_.begin(), listed_.end(),
                                  [&](const Listed& listed) { return listed.serial == serial; });
  if (serial.empty() || found == listed_.end()) return kFtdiError;
  auto device = std::make_shared<Device>();
  device->info = *found;
  *handle = next_handle_++;
  handles_[*handle] = std::move(device);
  return kFtdiOk;
}

int LibFtdiDriver::GetDeviceInfo(FtdiHandle handle, FtdiDeviceInfo* info) {
  const std::shared_ptr<Device> device = Find(handle);
  if (!device) return kFtdiError;
  info->type = device->info.type;
  info->id = UsbDeviceId(device->info.vendor, device->info.product);
  info->serial = device->info.serial;
  info->description = device->info.description;
  return kFtdiOk;
}

int LibFtdiDriver::OpenBySerialNumber(const std::string& serial, FtdiHandle* handle) {
  *handle = kNoFtdiHandle;
  if (serial.empty()) return kFtdiError;
  ContextPtr context(ftdi_new());
  if (!context) return kFtdiError;
  auto device = std::make_shared<Device>();
  device->info.serial = serial;
  bool opened = false;
  for (const UsbIds& ids : kKnownIds) {
    if (ftdi_usb_open_desc(context.get(), ids.vendor, ids.product, nullptr, serial.c_str()) == 0) {
      device->info.vendor = ids.vendor;
      device->info.product = ids.product;
      opened = true;
      break;
    }
  }
  if (!opened) return kFtdiError;
  ftdi_set_latency_timer(context.get(), kLatencyMs);
  context->usb_read_timeout = kReaderTimeoutMs;
  device->context = std::move(context);
  device->reader = std::thread([raw = device.get()] { raw->ReadLoop(); });
  std::lock_guard lock(mutex_);
  *handle = next_handle_++;
  handles_[*handle] = std::move(device);
  return kFtdiOk;
}

std::shared_ptr<LibFtdiDriver::Device> LibFtdiDriver::Find(FtdiHandle handle) {
  std::lock_guard lock(mutex_);
  const auto found = handles_.find(handle);
  return found == handles_.end() ? nullptr : found->second;
}

template <typename Call>
int LibFtdiDriver::OnContext(FtdiHandle handle, Call call) {
  const std::shared_ptr<Device> device = Find(handle);
  if (!device || !device->context) return kFtdiError;
  std::lock_guard lock(device->io);
  return call(device->context.get()) < 0 ? kFtdiError : kFtdiOk;
}

int LibFtdiDriver::SetDivisor(FtdiHandle handle, uint16_t divisor) {
  const int baud = 3000000 / std::max<int>(divisor, 1);
  return OnContext(handle, [&](ftdi_context* c) { return ftdi_set_baudrate(c, baud); });
}

int LibFtdiDriver::SetDataCharacteristics(FtdiHandle handle, uint8_t word_length, uint8_t stop_bits,
                                          uint8_t parity) {
  const ftdi_bits_type bits = word_length == 7 ? BITS_7 : BITS_8;
  const ftdi_stopbits_type stop = stop_bits == 0 ? STOP_BIT_1 : STOP_BIT_2;
  const ftdi_parity_type parity_type =
      parity <= SPACE ? static_cast<ftdi_parity_type>(parity) : NONE;
  return OnContext(
      handle, [&](ftdi_context* c) { return ftdi_set_line_property(c, bits, stop, parity_type); });
}

int LibFtdiDriver::SetFlowControl(FtdiHandle handle, uint16_t flow, uint8_t, uint8_t) {
  // Only "none" is ever asked for.
  if (flow != 0) return kFtdiError;
  return OnContext(handle,
                   [](ftdi_context* c) { return ftdi_setflowctrl(c, SIO_DISABLE_FLOW_CTRL); });
}

int LibFtdiDriver::SetDtr(FtdiHandle handle) {
  return OnContext(handle, [](ftdi_context* c) { return ftdi_setdtr(c, 1); });
}

int LibFtdiDriver::SetRts(FtdiHandle handle) {
  return OnContext(handle, [](ftdi_context* c) { return ftdi_setrts(c, 1); });
}

int LibFtdiDriver::ClearRts(FtdiHandle handle) {
  return OnContext(handle, [](ftdi_context* c) { return ftdi_setrts(c, 0); });
}

int LibFtdiDriver::ClearDtr(FtdiHandle handle) {
  return OnContext(handle, [](ftdi_context* c) { return ftdi_setdtr(c, 0); });
}

int LibFtdiDriver::SetTimeouts(FtdiHandle handle, uint32_t read_ms, uint32_t write_ms) {
  // Reads are the reader thread's and stay short; only the write time-out is the caller's.
  return OnContext(handle, [&](ftdi_context* c) {
    c->usb_write_timeout = static_cast<int>(std::min<uint32_t>(write_ms, 60000));
    return 0;
  });
}

int LibFtdiDriver::SetEventNotification(FtdiHandle handle, uint32_t mask, FtdiEvent* event) {
  const std::shared_ptr<Device> device = Find(handle);
  if (!device || !device->context) return kFtdiError;
  std::lock_guard lock(device->state);
  device->rx.SetNotification(mask, event);
  if (device->gone && device->rx.event != nullptr) device->rx.event->Signal();
  return kFtdiOk;
}

int LibFtdiDriver::GetStatus(FtdiHandle handle, uint32_t* rx_bytes, uint32_t* tx_bytes,
                             uint32_t* event_status) {
  const std::shared_ptr<Device> device = Find(handle);
  if (!device || !device->context) return kFtdiError;
  std::lock_guard lock(device->state);
  // The bytes that came before the pull are still handed over; the loss shows once they are.
  if (device->gone && device->rx.bytes.empty()) return kFtdiDeviceGone;
  *rx_bytes = static_cast<uint32_t>(device->rx.bytes.size());
  *tx_bytes = 0;
  *event_status = 0;
  return kFtdiOk;
}

int LibFtdiDriver::Read(FtdiHandle handle, uint8_t* buffer, uint32_t count, uint32_t* read) {
  *read = 0;
  const std::shared_ptr<Device> device = Find(handle);
  if (!device || !device->context) return kFtdiError;
  std::lock_guard lock(device->state);
  if (device->gone && device->rx.bytes.empty()) return kFtdiDeviceGone;
  *read = device->rx.Take(buffer, count);
  // The last bytes are out: the owner's next round hears of the loss.
  if (device->gone && device->rx.bytes.empty() && device->rx.event != nullptr) {
    device->rx.event->Signal();
  }
  return kFtdiOk;
}

int LibFtdiDriver::Write(FtdiHandle handle, const uint8_t* buffer, uint32_t length,
                         uint32_t* written) {
  *written = 0;
  if (const std::shared_ptr<Device> device = Find(handle); device && device->context) {
    std::lock_guard lock(device->state);
    if (device->gone) return kFtdiDeviceGone;
  }
  int n = 0;
  const int status = OnContext(handle, [&](ftdi_context* c) {
    n = ftdi_write_data(c, buffer, static_cast<int>(length));
    return n;
  });
  if (status == kFtdiOk) *written = static_cast<uint32_t>(n);
  return status;
}

int LibFtdiDriver::Close(FtdiHandle handle) {
  std::shared_ptr<Device> device;
  {
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(handle);
    if (found == handles_.end()) return kFtdiError;
    device = std::move(found->second);
    handles_.erase(found);
  }
  if (device->context) {
    device->StopReader();
    std::lock_guard lock(device->io);
    ftdi_usb_close(device->context.get());
  }
  return kFtdiOk;
}

}  // namespace qv
