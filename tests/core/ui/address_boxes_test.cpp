#include "core/ui/address_boxes.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using Numbers = std::array<std::string, 4>;

// Types `keys` one at a time into the box with the cursor, as a line edit would: at the end of
// its text, or over it while it is selected.
AddressBoxes Type(AddressBoxes boxes, std::string_view keys) {
  for (const char key : keys) {
    const std::string& text = boxes.numbers[static_cast<size_t>(boxes.focus)];
    boxes = EditAddressBox(boxes.numbers, boxes.focus,
                           (boxes.select_focus ? std::string() : text) + key);
  }
  return boxes;
}

TEST(AddressBoxesTest, TypingPastingAndOverflowMoveThroughTheBoxes) {
  EXPECT_EQ(Type({}, "127.0.77.2"), (AddressBoxes{Numbers{"127", "0", "77", "2"}, 3, false}));
  // A dot moves on and selects what the next box held; a digit then replaces it. A dot in an
  // empty box, a second dot and letters are dropped; a digit past 255 starts the next box.
  const AddressBoxes before{Numbers{"", "55", "", ""}, 0, false};
  EXPECT_EQ(Type(before, "."), before);
  EXPECT_EQ(Type(before, "10."), (AddressBoxes{Numbers{"10", "55", "", ""}, 1, true}));
  EXPECT_EQ(Type(before, "10..x4"), (AddressBoxes{Numbers{"10", "4", "", ""}, 1, false}));
  EXPECT_EQ(Type(before, "2561921"), (AddressBoxes{Numbers{"25", "61", "92", "1"}, 3, false}));
  EXPECT_EQ(Type(before, "1.2.3.4.5"), (AddressBoxes{Numbers{"1", "2", "3", "45"}, 3, false}));

  // A whole address pasted into any box fills all four; a partial one fills from that box on.
  EXPECT_EQ(EditAddressBox(Numbers{"1", "2", "3", "4"}, 2, " 192.168.0.20\n"),
            (AddressBoxes{Numbers{"192", "168", "0", "20"}, 3, false}));
  EXPECT_EQ(EditAddressBox(Numbers{"1", "2", "3", "4"}, 1, "9.8"),
            (AddressBoxes{Numbers{"1", "9", "8", "4"}, 2, false}));
}

}  // namespace
}  // namespace qv
