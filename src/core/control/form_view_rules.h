#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/app/status_panes.h"

namespace qv {

// Command ids of the main toolbar (their numbers travel with recorded settings and tests).
enum ToolbarCommand : int {
  kCmdPrint = 32768,
  kCmdZoomIn = 32769,
  kCmdZoomOut = 32770,
  kCmdEstablishConnection = 32773,
  kCmdSnapshot = 32798,
  kCmdSelectDisplay = 32815,
  kCmdStartLogging = 32849,
  kCmdReplay = 32850,
  kCmdFastForward = 32852,
  kCmdFastRewind = 32853,
  kCmdStop = 32854,
  kCmdPause = 32855,
  kCmdSpectrogram = 32864,
  kCmdHistogram = 32865,
  kCmdInstantCapture = 32869,
  kCmdShowTimeMarkers = 32871,
  kCmdPrintColourOptions = 32861,
  kCmdFilePrint = 57607,
  kCmdFilePrintPreview = 57609,
};

// Toolbar image indices that the button swaps use.
enum ToolbarImage : int {
  kImgSelectOff = 2,
  kImgReplay = 6,
  kImgForwardIdle = 8,
  kImgRewindIdle = 9,
  kImgSelectOn = 14,
  kImgPause = 15,
  kImgForwardRunning = 16,
  kImgRewindRunning = 17,
};

// The measurement state the toolbar's enable rules read.
struct ViewFlags {
  bool connected = false;
  bool playing_back = false;  // stays true while paused
  bool playback_paused = false;
  bool fast_forward = false;
  bool fast_rewind = false;
  bool recording = false;
  bool sweeps_arriving = false;  // spectrum or power-trigger mode flag of the graph
  bool area_selected = false;
  bool zoom_in_available = false;
  int zoom_depth = 0;
  bool replay_drawing = false;
  bool capture_ready = false;
  bool selection_mode = false;
};

bool CommandEnabled(int command, const ViewFlags& flags);

// What Fast Forward and Fast Rewind drive: a log being played (whatever else is open), else the
// time markers of a capture file ready or reviewed.
enum class FastTarget { kNone, kPlayback, kTimeMarkers };
FastTarget FastCommandTarget(const ViewFlags& flags);

// The spectrum-log box of "Logging Options": whether it can be chosen, and why not.
struct SpectrumLogChoice {
  bool enabled = true;
  std::string why_not;
};
SpectrumLogChoice SpectrumLogChoiceOf(const ViewFlags& flags);

struct ToolbarButton {
  int command = 0;
  int image = 0;
};

inline constexpr int kToolbarButtons = 14;

// Prompt of a command: the status-bar text, then after "\n" the tool tip.
std::string CommandPrompt(int command);

// The toolbar's buttons with the command and image each shows; positions 4, 12, 16 and 18 of
// the bar (buttons 2, 6, 8 and 9 here) change with the playback and selection state.
class ToolbarState {
 public:
  ToolbarState();

  const std::array<ToolbarButton, kToolbarButtons>& Buttons() const { return buttons_; }

  void ShowSelectionMode(bool on);
  void ShowPlaying();  // position 12 offers Pause
  void ShowPaused();   // position 12 offers Replay again
  // Stop resets every swapped button to its idle command and image.
  void ShowStopped();
  void ShowFastForward(bool running);
  void ShowFastRewind(bool running);
  // Every swapped button as the state is, however it got there (a playback that paused by
  // itself offers Replay, not Pause).
  void Follow(const ViewFlags& flags);

 private:
  std::array<ToolbarButton, kToolbarButtons> buttons_;
};

// "Interface Type: …" for the log-file pane. The serial text names COM3 whatever the port is:
// recorded logs and users' notes rely on that wording.
std::string InterfaceText(bool connected, int interface_index, const std::string& address);

// The running-time pane, counting from the completed handshake; never reset.
class RunningClock {
 public:
  void Tick();
  std::string Text() const;
  static std::string InitialText() { return "Running Time: 0 mins, 0 secs"; }

 private:
  int minutes_ = 0;
  int seconds_ = 0;
};

enum class DeviceChange { kArrival, kRemovalComplete, kOther };

struct AlertText {
  std::string text;
  std::string caption;
  friend bool operator==(const AlertText&, const AlertText&) = default;
};

struct DeviceChangeOutcome {
  // New status text for the serial page, when it is to change.
  std::optional<std::string> serial_page_status;
  std::vector<AlertText> alerts;  // shown in this order
};

// What a device arriving or leaving means for the user.
DeviceChangeOutcome OnDeviceChange(DeviceChange change, bool is_port, const std::string& port_name,
                                   bool sheet_visible, bool serial_page_visible);

// The question before a log or capture file (`is_capture`) takes the graph from a connected
// Receiver, whose link it closes; none when nothing would be cut off, or when the open is
// refused anyway (a log while one is recorded).
std::optional<AlertText> TakeOverQuestion(const ViewFlags& flags, const std::string& path,
                                          bool is_capture);

}  // namespace qv
