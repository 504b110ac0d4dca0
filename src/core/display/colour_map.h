#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/display/colour.h"
#include "core/display/gradient.h"

namespace qv {

// How a picture colours levels. The Receiver's map is its four 15 dB ramps, where one colour
// can stand for levels far apart; the uniform map grows lighter evenly from its minimum to its
// maximum, so a colour reads as one level.
enum class ColourMap : uint8_t { kReceiver, kUniform };

inline constexpr std::array<ColourMap, 2> kColourMaps = {ColourMap::kReceiver, ColourMap::kUniform};

// The name the View menu shows and the settings store.
std::string_view ColourMapName(ColourMap map);
std::optional<ColourMap> ColourMapNamed(std::string_view name);

// The uniform map at `fraction` of its range: 0 is its dark end, 1 its bright one; fractions
// outside are held to the ends.
Colour UniformColour(double fraction);

// Colour of `level` dBm within the gradient's range. The Receiver's map is the gradient itself;
// the uniform map runs from the range's minimum to its maximum, levels beyond it taking the
// colour of the nearer end.
Colour LevelColour(ColourMap map, const CGradient& gradient, int level);

// LevelColour of every level from 0 dBm (index 0) down to -120 dBm (index 120).
std::array<Colour, CGradient::kTableSize> LevelColourTable(ColourMap map,
                                                           const CGradient& gradient);

}  // namespace qv
