#pragma once

#include <optional>
#include <string>

namespace qv {

// Every file dialog goes through here, so the paths a user picks can be scripted in tests.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // filter as "Spectrum logs (*.kzq *.zn)"; nullopt when the user cancels.
  virtual std::optional<std::string> OpenFileName(const std::string& title,
                                                  const std::string& filter) = 0;
  // `chosen_filter`, when given, receives the entry of `filter` (entries separated by ";;")
  // the user left chosen, or stays empty when that is not known.
  virtual std::optional<std::string> SaveFileName(const std::string& title,
                                                  const std::string& filter,
                                                  const std::string& suggested_name,
                                                  std::string* chosen_filter = nullptr) = 0;
};

}  // namespace qv
