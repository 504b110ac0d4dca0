#include "core/ui/command_keys.h"

#include <algorithm>
#include <array>

#include "core/display/peak_search.h"

namespace qv {
namespace {

// Letters, Space, + and - alone are safe here: an entry field with the focus takes them first.
constexpr std::array<CommandKey, 25> kKeys = {{
    {kCmdEstablishConnection, "Ctrl+E"},
    {kCmdSnapshot, "Ctrl+S"},
    {kCmdSelectDisplay, "Ctrl+D"},
    // + needs Shift on most layouts; = is the same key without it.
    {kCmdZoomIn, "+; ="},
    {kCmdZoomOut, "-"},
    {kCmdStartLogging, "Ctrl+L"},
    {kCmdReplay, "Ctrl+R"},
    {kCmdPause, "Space"},
    {kCmdStop, "Ctrl+T"},
    {kCmdFastForward, "Ctrl+Right"},
    {kCmdFastRewind, "Ctrl+Left"},
    {kCmdPrint, "Ctrl+Shift+P"},
    {kCmdSpectrogram, "Ctrl+G"},
    {kCmdHistogram, "Ctrl+H"},
    {kCmdInstantCapture, "Ctrl+I"},
    {kCmdFilePrint, "Ctrl+P"},
    {kCmdMarkerToPeak, "P"},
    {kCmdNextPeak, "N"},
    {kCmdMarkerToFrequency, "F"},
    {kCmdMarkerStepDown, "Left"},
    {kCmdMarkerStepUp, "Right"},
    {kCmdMarkerStepDownTen, "Shift+Left"},
    {kCmdMarkerStepUpTen, "Shift+Right"},
    {kCmdLeaveSelection, "Esc"},
    {kCmdManual, "F1"},
}};

}  // namespace

std::span<const CommandKey> CommandKeys() {
  return kKeys;
}

std::string_view KeysOf(int command) {
  for (const CommandKey& key : CommandKeys()) {
    if (key.command == command) return key.keys;
  }
  return {};
}

std::string TipWithKey(std::string_view tip, int command) {
  std::string out(tip);
  const std::string_view keys = KeysOf(command);
  if (keys.empty()) return out;
  out += " (";
  out += keys.substr(0, keys.find(';'));
  out += ')';
  return out;
}

std::optional<int> SpaceCommand(const ViewFlags& flags) {
  if (!flags.playing_back) return std::nullopt;
  // A paused playback resumes through Replay, which asks nothing while one is open.
  return flags.playback_paused ? kCmdReplay : kCmdPause;
}

int MarkerStepOf(int command) {
  switch (command) {
    case kCmdMarkerStepDown:
      return -1;
    case kCmdMarkerStepUp:
      return 1;
    case kCmdMarkerStepDownTen:
      return -10;
    case kCmdMarkerStepUpTen:
      return 10;
    default:
      return 0;
  }
}

}  // namespace qv
