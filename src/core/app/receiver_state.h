#pragma once

#include <cstdint>

#include "core/app/spectrum_settings.h"

namespace qv {

// Index of the link in use; also the page order of the connection sheet.
enum InterfaceIndex : int32_t {
  kSerialInterface = 0,
  kUsbInterface = 1,
  kInternetInterface = 2,
  kDhcpInterface = 3,
  kStaticIpInterface = 4,
  kInterfaceCount = 5,
};

// What the program knows about the link and the settings last asked of the Receiver.
// Touched on the GUI thread only.
struct ReceiverState {
  SpectrumSettings working;    // every sweep change writes here, then sends the whole record
  SpectrumSettings last_sent;  // the copy the last set-spectrum command was built from
  int16_t trigger_threshold = -60;  // dBm
  uint16_t trigger_delay = 0;       // units of 12.5 ns
  int32_t interface_index = kSerialInterface;
  uint8_t connected = 0;
  int32_t reference_level_index = 1;  // 1..6 for -20..-70 dBm
  // The mode last sent: in power-trigger mode the Receiver is silent until a trigger.
  bool power_trigger_mode = false;
};

}  // namespace qv
