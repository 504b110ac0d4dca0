#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/control/form_view_rules.h"

namespace qv {

// Commands that exist only as keys of the main window.
enum KeyCommand : int {
  kCmdMarkerStepDown = 41001,  // the selected marker one point lower in frequency
  kCmdMarkerStepUp = 41002,
  kCmdMarkerStepDownTen = 41003,
  kCmdMarkerStepUpTen = 41004,
  kCmdLeaveSelection = 41005,
  kCmdManual = 41006,
};

// One command's key in Qt's portable key-sequence text ("Ctrl+S"); a second key, if any, after
// "; " as QKeySequence::listFromString reads it.
struct CommandKey {
  int command;
  std::string_view keys;
};

// Every key of the main window, the toolbar's commands first. No two commands share a key, and
// none of them is Enter, which belongs to the entry fields.
std::span<const CommandKey> CommandKeys();

// The keys of a command; empty when it has none.
std::string_view KeysOf(int command);

// A toolbar tool tip with its command's first key after it: "Zoom Out (-)".
std::string TipWithKey(std::string_view tip, int command);

// What Space does: pause a playback, resume a paused one; never start one.
std::optional<int> SpaceCommand(const ViewFlags& flags);

// How many points an arrow-key command moves the selected marker; 0 for any other command.
int MarkerStepOf(int command);

}  // namespace qv
