#pragma once

#include <cstdint>

namespace qv {

// A colour as the drawing code stores it: red in the low byte, then green, then blue.
using Colour = uint32_t;

constexpr Colour Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
         (static_cast<Colour>(blue) << 16);
}

}  // namespace qv
