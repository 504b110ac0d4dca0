#include "core/ui/keyboard.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(CKeyBoard, AppendsAndRemovesCharacters) {
  CKeyBoard keypad;
  EXPECT_EQ(keypad.Backspace(), "");
  keypad.PressKey(1);
  keypad.PressKey(10);
  EXPECT_EQ(keypad.PressKey(5), "1.5");
  EXPECT_EQ(keypad.Backspace(), "1.");
  keypad.Clear();
  EXPECT_EQ(keypad.Text(), "");
}

TEST(CKeyBoard, MapsEveryKeyNumber) {
  CKeyBoard keypad;
  for (int key = 0; key < CKeyBoard::kKeyCount; ++key) keypad.PressKey(key);
  EXPECT_EQ(keypad.Text(), "0123456789.-+ abcdefghijklmnopqrstuvwxyz");
}

TEST(CKeyBoard, IgnoresUnknownKeys) {
  CKeyBoard keypad;
  keypad.PressKey(-1);
  keypad.PressKey(40);
  keypad.PressKey(1000);
  EXPECT_EQ(keypad.PressKey(39), "z");
}

}  // namespace
}  // namespace qv
