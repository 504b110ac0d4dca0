#include "core/display/colour_map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qv {
namespace {

// CIE lightness L* of an sRGB colour (red in the low byte).
double Lightness(Colour c) {
  const auto linear = [](uint32_t byte) {
    const double v = byte / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double y = 0.2126 * linear(c & 0xFF) + 0.7152 * linear((c >> 8) & 0xFF) +
                   0.0722 * linear((c >> 16) & 0xFF);
  return y > 0.008856 ? 116.0 * std::cbrt(y) - 16.0 : 903.3 * y;
}

CGradient Spectrogram(int16_t max, int16_t min) {
  CGradient gradient;
  gradient.SetSpectrogram(max, min);
  return gradient;
}

// The Receiver's map is its gradient, wrapped bytes and all; the uniform map grows lighter
// with every dB from the minimum (dark violet) to the maximum (yellow), holds levels beyond the
// range to its ends, and tells apart levels the Receiver's map paints the same yellow.
TEST(ColourMapTest, ReceiverMapUnchangedAndUniformMapReadsOneLevelPerColour) {
  const CGradient defaults = Spectrogram(-20, -80);
  const auto receiver = [&](int level) {
    return LevelColour(ColourMap::kReceiver, defaults, level);
  };
  EXPECT_EQ(receiver(-19), Rgb(0, 0, 0));
  EXPECT_EQ(receiver(-20), Rgb(255, 252, 0));
  EXPECT_EQ(receiver(-34), Rgb(255, 14, 0));
  EXPECT_EQ(receiver(-35), Rgb(1, 255, 0));
  EXPECT_EQ(receiver(-65), Rgb(2, 255, 255));
  EXPECT_EQ(receiver(-81), Rgb(255, 255, 255));
  EXPECT_EQ(LevelColourTable(ColourMap::kReceiver, defaults), defaults.Table());

  const auto uniform = [&](int level) { return LevelColour(ColourMap::kUniform, defaults, level); };
  EXPECT_EQ(uniform(-20), Rgb(0xfd, 0xe7, 0x25));
  EXPECT_EQ(uniform(-80), Rgb(0x44, 0x01, 0x54));
  for (int above : {-19, 0, 40}) EXPECT_EQ(uniform(above), uniform(-20)) << above;
  for (int below : {-81, -120, -500}) EXPECT_EQ(uniform(below), uniform(-80)) << below;
  const auto table = LevelColourTable(ColourMap::kUniform, defaults);
  EXPECT_EQ(table[20], uniform(-20));
  EXPECT_EQ(table[120], uniform(-120));

  // -20 and -49 dBm, 29 dB apart, are both yellow on the Receiver's map.
  EXPECT_EQ(receiver(-49), Rgb(239, 255, 0));
  EXPECT_GT(Lightness(uniform(-20)) - Lightness(uniform(-49)), 30.0);

  // Every dB a little lighter, over the default range and the widest one.
  for (const CGradient& gradient : {defaults, Spectrogram(0, -120)}) {
    for (int level = gradient.min() + 1; level <= gradient.max(); ++level) {
      EXPECT_GT(Lightness(LevelColour(ColourMap::kUniform, gradient, level)),
                Lightness(LevelColour(ColourMap::kUniform, gradient, level - 1)) + 0.2)
          << level;
    }
  }
  // Before any reference level the range may be 0 ... 0: its two ends, nothing undefined.
  const CGradient empty = Spectrogram(0, 0);
  EXPECT_EQ(LevelColour(ColourMap::kUniform, empty, 0), UniformColour(1.0));
  EXPECT_EQ(LevelColour(ColourMap::kUniform, empty, -1), UniformColour(0.0));
  EXPECT_EQ(UniformColour(std::nan("")), UniformColour(0.0));

  for (const ColourMap map : kColourMaps) EXPECT_EQ(ColourMapNamed(ColourMapName(map)), map);
  EXPECT_EQ(ColourMapName(ColourMap::kUniform), "Uniform");
  EXPECT_EQ(ColourMapNamed("viridis"), std::nullopt);
  EXPECT_EQ(ColourMapNamed(""), std::nullopt);
}

}  // namespace
}  // namespace qv
