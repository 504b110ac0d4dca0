#pragma once

namespace qv {

// Status-bar indicator ids; the toolbar rules and the receive path both write to these panes.
enum StatusPane : int {
  kPaneRunningTime = 32826,
  kPaneSerial = 32830,
  kPaneFirmware = 105,
  kPaneLogFile = 32829,
  // Not a pane: the status bar's message area, empty while there is nothing to say.
  kPaneMessage = 0,
};

}  // namespace qv
