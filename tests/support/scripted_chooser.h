#pragma once

#include <optional>
#include <string>

#include "core/app/file_chooser.h"

namespace qv {

// Answers the file dialogs with the paths a test sets.
class ScriptedChooser : public FileChooser {
 public:
  std::optional<std::string> OpenFileName(const std::string&, const std::string&) override {
    return open;
  }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&,
                                          const std::string&, std::string* chosen) override {
    if (chosen != nullptr) *chosen = save_filter;
    return save;
  }
  std::optional<std::string> open;
  std::optional<std::string> save;
  std::string save_filter;  // the file type the user leaves chosen
};

}  // namespace qv
