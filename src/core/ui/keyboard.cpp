#include "core/ui/keyboard.h"

namespace qv {
namespace {

constexpr char kKeyCharacters[CKeyBoard::kKeyCount + 1] =
    "0123456789.-+ abcdefghijklmnopqrstuvwxyz";

}  // namespace

char CKeyBoard::Character(int key) {
  return key >= 0 && key < kKeyCount ? kKeyCharacters[key] : '\0';
}

std::string CKeyBoard::PressKey(int key) {
  if (const char c = Character(key)) text_.push_back(c);
  return text_;
}

std::string CKeyBoard::Backspace() {
  if (!text_.empty()) text_.pop_back();
  return text_;
}

}  // namespace qv
