#include "core/ui/address_boxes.h"

#include <optional>
#include <utility>

#include "core/link/network_setup.h"

namespace qv {
namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool FitsOneBox(const std::string& number) {
  return number.size() <= 3 && std::stoi(number) <= 255;
}

}  // namespace

AddressBoxes EditAddressBox(const std::array<std::string, 4>& numbers, int index,
                            std::string_view edited) {
  AddressBoxes boxes{numbers, index < 0 ? 0 : index > 3 ? 3 : index, false};
  if (const std::optional<Ipv4Address> whole = ParseIpv4(Trimmed(edited))) {
    for (size_t i = 0; i < boxes.numbers.size(); ++i)
      boxes.numbers[i] = std::to_string((*whole)[i]);
    boxes.focus = 3;
    return boxes;
  }
  int box = boxes.focus;
  bool moved = false;  // into `box` by a dot; its old text goes with the first digit
  boxes.numbers[static_cast<size_t>(box)].clear();
  for (const char c : edited) {
    std::string& current = boxes.numbers[static_cast<size_t>(box)];
    if (c >= '0' && c <= '9') {
      if (std::exchange(moved, false)) current.clear();
      if (FitsOneBox(current + c)) {
        current += c;
      } else if (box < 3) {
        boxes.numbers[static_cast<size_t>(++box)] = std::string(1, c);
      }
    } else if (c == '.' && !moved && !current.empty() && box < 3) {
      ++box;
      moved = true;
    }
  }
  boxes.focus = box;
  boxes.select_focus = moved;
  return boxes;
}

}  // namespace qv
