#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qv {

// The four boxes of an IPv4 address field and where the cursor goes next.
struct AddressBoxes {
  std::array<std::string, 4> numbers;
  int focus = 0;
  // The cursor moved into the focus box: its text is selected, so typing replaces it.
  bool select_focus = false;

  friend bool operator==(const AddressBoxes&, const AddressBoxes&) = default;
};

// The boxes after box `index` now reads `edited` (typed into or pasted). A dot after a number,
// or a digit that would take the box past 255, moves on to the next box; a whole dotted address
// fills all four; anything but digits and dots is dropped.
AddressBoxes EditAddressBox(const std::array<std::string, 4>& numbers, int index,
                            std::string_view edited);

}  // namespace qv
