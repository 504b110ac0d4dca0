#pragma once

#include <string>

namespace qv {

// What remote commands may ask of the program around the session, beyond the session itself:
// the spectrum log and instant captures belong to the program (the window's recorder, or the
// recorder's rotating logs). Paths are already checked to lie inside the remote folder.
class RemoteHost {
 public:
  virtual ~RemoteHost() = default;
  // Starts a spectrum log into `path`; false with one line in `error` (a log already running,
  // a file that cannot be made, a program that logs by itself).
  virtual bool StartLog(const std::string& path, std::string* error) = 0;
  // Ends the log the remote started; false when none runs.
  virtual bool StopLog() = 0;
  virtual bool Logging() const = 0;
  // Appends the latest whole sweep to the capture file `path` (made when new); false with why.
  virtual bool Capture(const std::string& path, std::string* error) = 0;
};

}  // namespace qv
