#pragma once

namespace qv {

// Status-bar indicator ids; the toolbar rules and the receive path both write to these panes.
enum StatusPane : int {
  kPaneRunningTime = 32826,
  kPaneSerial = 32830,
  kPaneFirmware = 105,
  kPaneLogFile = 32829,
};

}  // namespace qv
