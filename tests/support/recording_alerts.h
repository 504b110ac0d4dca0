#pragma once

#include <string>
#include <vector>

#include "core/app/alerts.h"

namespace qv {

// Keeps every message box the code under test asked for, in order.
class RecordingAlerts : public Alerts {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    friend bool operator==(const Shown&, const Shown&) = default;
  };

  void Show(const std::string& text, const std::string& caption) override {
    shown.push_back({text, caption});
  }
  void Note(const std::string& text) override { noted.push_back(text); }
  bool Ask(const std::string& text, const std::string& caption) override {
    asked.push_back({text, caption});
    return answer;
  }

  std::vector<Shown> shown;
  std::vector<std::string> noted;
  std::vector<Shown> asked;
  bool answer = true;  // to every question
};

}  // namespace qv
