#include "core/ui/keyboard.h"

namespace qv {
namespace {

constexpr char kKeyCharacters[CKeyBoard::kKeyCount + 1] =
    "0123456789.-+ abcdefghijklmnopqrstuvwxyz";

}  // namespace

std::string CKeyBoard::PressKey(int key) {
  if (key >= 0 && key < kKeyCount) text_.push_back(kKeyCharacters[key]);
  return text_;
}

std::string CKeyBoard::Backspace() {
  if (!text_.empty()) text_.pop_back();
  return text_;
}

}  // namespace qv
