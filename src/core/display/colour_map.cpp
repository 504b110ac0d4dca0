#include "core/display/colour_map.h"

#include <algorithm>
#include <cmath>

namespace qv {
namespace {

// Ten evenly spaced points of the published viridis map, dark to bright; its lightness rises
// steadily, so straight lines between neighbours keep it rising.
constexpr std::array<Colour, 10> kUniformAnchors = {
    Rgb(0x44, 0x01, 0x54), Rgb(0x48, 0x28, 0x78), Rgb(0x3e, 0x4a, 0x89), Rgb(0x31, 0x68, 0x8e),
    Rgb(0x26, 0x82, 0x8e), Rgb(0x1f, 0x9e, 0x89), Rgb(0x35, 0xb7, 0x79), Rgb(0x6d, 0xcd, 0x59),
    Rgb(0xb4, 0xde, 0x2c), Rgb(0xfd, 0xe7, 0x25),
};

constexpr std::string_view kReceiverName = "Receiver";
constexpr std::string_view kUniformName = "Uniform";

uint8_t Channel(Colour colour, int shift) {
  return static_cast<uint8_t>((colour >> shift) & 0xFF);
}

}  // namespace

std::string_view ColourMapName(ColourMap map) {
  return map == ColourMap::kUniform ? kUniformName : kReceiverName;
}

std::optional<ColourMap> ColourMapNamed(std::string_view name) {
  for (const ColourMap map : kColourMaps) {
    if (ColourMapName(map) == name) return map;
  }
  return std::nullopt;
}

Colour UniformColour(double fraction) {
  // NaN compares false both ways; hold it to the dark end like anything below 0.
  const double f = fraction > 0.0 ? std::min(fraction, 1.0) : 0.0;
  const double position = f * static_cast<double>(kUniformAnchors.size() - 1);
  const size_t low = std::min(static_cast<size_t>(position), kUniformAnchors.size() - 2);
  const double t = position - static_cast<double>(low);
  const Colour a = kUniformAnchors[low];
  const Colour b = kUniformAnchors[low + 1];
  const auto mix = [&](int shift) {
    const double value = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t;
    return static_cast<uint8_t>(std::lround(value));
  };
  return Rgb(mix(0), mix(8), mix(16));
}

Colour LevelColour(ColourMap map, const CGradient& gradient, int level) {
  if (map == ColourMap::kReceiver) return gradient.Colour(level);
  const int b = std::clamp(level, CGradient::kLowestLevel, CGradient::kHighestLevel);
  const int range = gradient.max() - gradient.min();
  // No range (before any reference level "Reset Display" leaves 0 ... 0): the two ends only.
  if (range <= 0) return UniformColour(b >= gradient.max() ? 1.0 : 0.0);
  return UniformColour(static_cast<double>(b - gradient.min()) / range);
}

std::array<Colour, CGradient::kTableSize> LevelColourTable(ColourMap map,
                                                           const CGradient& gradient) {
  std::array<Colour, CGradient::kTableSize> table;
  for (int i = 0; i < CGradient::kTableSize; ++i) {
    table[i] = LevelColour(map, gradient, CGradient::kHighestLevel - i);
  }
  return table;
}

}  // namespace qv
