#pragma once

#include <string>

namespace qv {

// Every modal message the program shows goes through here, so failure paths are testable
// without a screen. The program shows a message box; tests record the calls.
class Alerts {
 public:
  virtual ~Alerts() = default;
  virtual void Show(const std::string& text, const std::string& caption) = 0;
};

}  // namespace qv
