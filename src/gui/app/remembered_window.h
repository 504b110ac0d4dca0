#pragma once

#include "core/app/remembered_settings.h"

namespace qv {

class CMainFrame;

// Hands what the last run left to the parts that use it: the connection sheet's preselection,
// what the next handshake sends, and the side panels that were closed.
void RestoreRemembered(CMainFrame& frame, const RememberedSettings& remembered);

// Shows the main window at its remembered place, unless that place is off every screen;
// without one, maximised as always.
void ShowMainWindow(CMainFrame& frame, const RememberedWindow& window);

// What this run leaves for the next. Panels that do not exist now (the band presets of a
// Receiver not connected this time) keep their remembered state.
RememberedSettings CollectRemembered(CMainFrame& frame, const RememberedSettings& restored);

}  // namespace qv
