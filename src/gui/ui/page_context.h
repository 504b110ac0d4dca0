#pragma once

#include "core/app/alerts.h"
#include "core/app/timer.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"

class QWidget;

namespace qv {

class CConnectionOps;
class FileChooser;
class CHistogramDlg;
class CSpectrogramDialog;

// What the side-panel pages work with. The graph creates the pages before the connection
// exists, so the connection and the alerts are filled in later: pages check them before use.
struct PageContext {
  TraceData& trace;
  DisplayState& state;
  TimerFactory& timers;
  QWidget* graph;
  CConnectionOps* ops = nullptr;
  Alerts* alerts = nullptr;
  FileChooser* chooser = nullptr;
  CSpectrogramDialog* spectrogram = nullptr;
  CHistogramDlg* histogram = nullptr;
};

}  // namespace qv
