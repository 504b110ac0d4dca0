#pragma once

#include <string>

namespace qv {

// The text behind an on-screen keypad. Owners map their buttons to key numbers:
// 0..9 digits, 10 ".", 11 "-", 12 "+", 13 space, 14..39 "a".."z".
class CKeyBoard {
 public:
  static constexpr int kKeyCount = 40;

  // The character of a key number; 0 for an unknown one.
  static char Character(int key);
  // Appends the key's character and returns the whole text. Unknown key numbers append nothing.
  std::string PressKey(int key);
  // Removes the last character, if any, and returns the text.
  std::string Backspace();
  void Clear() { text_.clear(); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace qv
