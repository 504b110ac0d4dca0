#pragma once

#include <string>

#include "session/remote/remote_host.h"

namespace qv {

class CRecordingController;

// The window's recorder as remote commands reach it: a log or a capture asked for over the
// network goes where the toolbar's would.
class RemoteActions : public RemoteHost {
 public:
  explicit RemoteActions(CRecordingController& recorder) : recorder_(recorder) {}

  bool StartLog(const std::string& path, std::string* error) override;
  bool StopLog() override;
  bool Logging() const override;
  bool Capture(const std::string& path, std::string* error) override;

 private:
  CRecordingController& recorder_;
};

}  // namespace qv
