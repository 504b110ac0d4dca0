#include "core/control/form_view_rules.h"

#include <utility>

#include "core/record/log_file.h"

namespace qv {
namespace {

// Toolbar order with each button's idle image.
constexpr std::array<ToolbarButton, kToolbarButtons> kIdleButtons = {{
    {kCmdEstablishConnection, 0},
    {kCmdSnapshot, 1},
    {kCmdSelectDisplay, kImgSelectOff},
    {kCmdZoomIn, 3},
    {kCmdZoomOut, 4},
    {kCmdStartLogging, 5},
    {kCmdReplay, kImgReplay},
    {kCmdStop, 7},
    {kCmdFastForward, kImgForwardIdle},
    {kCmdFastRewind, kImgRewindIdle},
    {kCmdPrint, 10},
    {kCmdSpectrogram, 11},
    {kCmdHistogram, 12},
    {kCmdInstantCapture, 13},
}};

constexpr int kSelectButton = 2;
constexpr int kReplayButton = 6;
constexpr int kForwardButton = 8;
constexpr int kRewindButton = 9;

}  // namespace

bool CommandEnabled(int command, const ViewFlags& f) {
  switch (command) {
    case kCmdEstablishConnection:
      return !f.playing_back;
    case kCmdSnapshot:
      // Whatever the graph shows: a review's capture, the last sweep of an ended log or of a
      // lost link.
      return f.connected || f.playing_back || f.replay_drawing || f.sweeps_arriving;
    case kCmdSpectrogram:
    case kCmdHistogram:
      return f.connected || f.playing_back;
    case kCmdSelectDisplay:
      return f.sweeps_arriving || f.playing_back;
    case kCmdZoomIn:
      return f.area_selected && f.zoom_in_available && !f.playing_back && !f.capture_ready;
    case kCmdZoomOut:
      return f.zoom_depth >= 1 && !f.playing_back;
    case kCmdStartLogging:
    case kCmdInstantCapture:
      return f.sweeps_arriving;
    case kCmdReplay:
      return !f.recording;
    case kCmdPause:
      return f.playing_back;
    case kCmdStop:
      return f.playing_back || f.recording;
    case kCmdFastForward:
    case kCmdFastRewind:
      // With captures they step through the time markers, also while a capture file is reviewed.
      return f.playing_back || f.capture_ready || f.replay_drawing;
    case kCmdPrint:
    case kCmdShowTimeMarkers:
    case kCmdPrintColourOptions:
    case kCmdFilePrint:
    case kCmdFilePrintPreview:
      return true;
    default:
      return false;
  }
}

FastTarget FastCommandTarget(const ViewFlags& f) {
  if (f.playing_back) return FastTarget::kPlayback;
  if (f.capture_ready || f.replay_drawing) return FastTarget::kTimeMarkers;
  return FastTarget::kNone;
}

SpectrumLogChoice SpectrumLogChoiceOf(const ViewFlags& f) {
  std::string why = WhyNoNewLog(f.recording, f.playing_back);
  return {why.empty(), std::move(why)};
}

std::optional<AlertText> TakeOverQuestion(const ViewFlags& f, const std::string& path,
                                          bool is_capture) {
  if (!f.connected || (f.recording && !is_capture)) return std::nullopt;
  std::string text = "Opening " + path + " closes the connection to the Receiver.";
  if (f.recording) text += "\nThe spectrum log being recorded gets no more sweeps.";
  text += "\n\nClose the connection and open the file?";
  return AlertText{std::move(text), "Close Connection ?"};
}

std::string CommandPrompt(int command) {
  switch (command) {
    case kCmdEstablishConnection:
      return "Establish Connection \n Establish a connection between the PC and Quorvalin "
             "Receiver";
    case kCmdSnapshot:
      return "Click a Snapshot of the Display Screen \n Click a snapshot of the Display Screen";
    case kCmdSelectDisplay:
      return "Select display \n Select Display";
    case kCmdZoomIn:
      return "Zoom In to the Area Selected \n Zoom In to the area selected.";
    case kCmdZoomOut:
      return "Zoom Out to the Previous Screen \n Zoom Out";
    case kCmdStartLogging:
      return "Create a Time Marker and/or a Real Time Spectrum log file \n Records the current "
             "Spectrum and/or creates a Time Marker Log File";
    case kCmdReplay:
      return "Re-play a Logged File \n Replays a previously Logged File";
    case kCmdPause:
      return "Pause the Playback";
    case kCmdStop:
      return "Stop the Recording or Playback \n Stop the Recording or Playback";
    case kCmdFastForward:
      return "Fast Forward \n Forward the Playback";
    case kCmdFastRewind:
      return "Fast Rewind \n Rewind the Playback";
    case kCmdPrint:
      return "Preview and Print \n Preview and Print the Current Display";
    case kCmdSpectrogram:
      return "Spectrogram Display \n Spectrogram Display for the current waveform";
    case kCmdHistogram:
      return "Histogram Display \n Histogram Display for the current waveform";
    case kCmdInstantCapture:
      return "Instant Capture \n Capture instances of a spectrum in a binary log file for "
             "future review.";
    default:
      return "";
  }
}

ToolbarState::ToolbarState() : buttons_(kIdleButtons) {}

void ToolbarState::ShowSelectionMode(bool on) {
  buttons_[kSelectButton] = {kCmdSelectDisplay, on ? kImgSelectOn : kImgSelectOff};
}

void ToolbarState::ShowPlaying() {
  buttons_[kReplayButton] = {kCmdPause, kImgPause};
}

void ToolbarState::ShowPaused() {
  buttons_[kReplayButton] = {kCmdReplay, kImgReplay};
}

void ToolbarState::ShowStopped() {
  buttons_[kReplayButton] = kIdleButtons[kReplayButton];
  buttons_[kSelectButton] = kIdleButtons[kSelectButton];
  buttons_[kForwardButton] = kIdleButtons[kForwardButton];
  buttons_[kRewindButton] = kIdleButtons[kRewindButton];
}

void ToolbarState::ShowFastForward(bool running) {
  buttons_[kRewindButton] = kIdleButtons[kRewindButton];
  buttons_[kForwardButton] = {kCmdFastForward, running ? kImgForwardRunning : kImgForwardIdle};
}

void ToolbarState::ShowFastRewind(bool running) {
  buttons_[kForwardButton] = kIdleButtons[kForwardButton];
  buttons_[kRewindButton] = {kCmdFastRewind, running ? kImgRewindRunning : kImgRewindIdle};
}

void ToolbarState::Follow(const ViewFlags& f) {
  ShowSelectionMode(f.selection_mode);
  if (f.playing_back && !f.playback_paused) {
    ShowPlaying();
  } else {
    ShowPaused();
  }
  if (f.fast_rewind) {
    ShowFastRewind(true);
  } else {
    ShowFastForward(f.fast_forward);
  }
}

std::string InterfaceText(bool connected, int interface_index, const std::string& address) {
  if (!connected) return "Interface Type: Not Connected";
  switch (interface_index) {
    case 0:
      return "Interface Type: Serial Port (COM3)";
    case 1:
      return "Interface Type: USB";
    case 2:
      return "Interface Type: TCP/IP(Internet) " + address;
    case 3:
      return "Interface Type: TCP/IP(DHCP) " + address;
    case 4:
      return "Interface Type: TCP/IP(Static IP) " + address;
    default:
      return "Interface Type: Not Connected";
  }
}

void RunningClock::Tick() {
  if (++seconds_ == 60) {
    ++minutes_;
    seconds_ = 0;
  }
}

std::string RunningClock::Text() const {
  return "Running Time: " + std::to_string(minutes_) + " mins " + std::to_string(seconds_) +
         " secs";
}

DeviceChangeOutcome OnDeviceChange(DeviceChange change, bool is_port, const std::string& port_name,
                                   bool sheet_visible, bool serial_page_visible) {
  DeviceChangeOutcome out;
  switch (change) {
    case DeviceChange::kArrival:
      if (is_port && sheet_visible && serial_page_visible) out.serial_page_status = port_name;
      out.alerts.push_back({"CF Card has been inserted", "CF Card Insertion Alert !"});
      break;
    case DeviceChange::kRemovalComplete:
      if (is_port) {
        if (!sheet_visible) {
          out.alerts.push_back(
              {"CF Card has been removed,\n Please re-insert it back and Connect again",
               "CF Card Removal Alert !"});
        } else if (serial_page_visible) {
          out.serial_page_status = "CF Card not connected, Please check the CF card connection";
        }
      }
      out.alerts.push_back({"CF Card has been removed", "CF Card Removal Alert !"});
      break;
    case DeviceChange::kOther:
      out.alerts.push_back({"Device Change Message has been received", "Alert!"});
      break;
  }
  return out;
}

}  // namespace qv
