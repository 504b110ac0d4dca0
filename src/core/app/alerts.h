#pragma once

#include <string>

namespace qv {

// Every modal message the program shows goes through here, so failure paths are testable
// without a screen. The program shows a message box; tests record the calls.
class Alerts {
 public:
  virtual ~Alerts() = default;
  virtual void Show(const std::string& text, const std::string& caption) = 0;
  // A message that needs no answer and is on screen already (a status pane): only a run that
  // nobody watches also prints it.
  virtual void Note(const std::string& text) { (void)text; }
  // A yes-or-no question; true for yes. Where nobody can answer, no: what runs goes on.
  virtual bool Ask(const std::string& text, const std::string& caption) {
    Show(text, caption);
    return false;
  }
};

}  // namespace qv
