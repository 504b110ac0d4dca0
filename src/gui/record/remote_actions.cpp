#include "gui/record/remote_actions.h"

#include <filesystem>
#include <system_error>

#include "gui/record/recording_controller.h"

namespace qv {
namespace {

// A command from the network never empties a file that is there already.
bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace

bool RemoteActions::StartLog(const std::string& path, std::string* error) {
  if (recorder_.Recording() || recorder_.PlayingBack()) {
    *error = recorder_.Recording() ? "a log is being recorded already" : "a log is being played";
    return false;
  }
  if (Exists(path)) {
    *error = path + " exists already";
    return false;
  }
  if (recorder_.StartLog(path)) return true;
  *error = "the log " + path + " could not be started";
  return false;
}

bool RemoteActions::StopLog() {
  if (!recorder_.Recording()) return false;
  recorder_.StopRecordingOrPlayback();
  return true;
}

bool RemoteActions::Logging() const {
  return recorder_.Recording();
}

bool RemoteActions::Capture(const std::string& path, std::string* error) {
  // The file in use takes the capture; another one is made afresh first.
  const CaptureLog& captures = recorder_.Captures();
  const bool in_use = captures.Ready() && captures.Path() == path;
  if (!in_use && Exists(path)) {
    *error = path + " exists already and is not the capture file in use";
    return false;
  }
  if (!in_use && !recorder_.CreateCaptureFile(path)) {
    *error = "the capture file " + path + " could not be made";
    return false;
  }
  // A sweep still arriving is captured once it is whole.
  recorder_.TakeCapture("Remote capture");
  return true;
}

}  // namespace qv
