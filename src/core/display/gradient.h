#pragma once

#include <array>
#include <cstdint>

namespace qv {

// Level-to-colour mapping of the spectrogram and the histogram. Colours are 32-bit values with
// red in the low byte, then green, then blue.
class CGradient {
 public:
  enum Mode : int32_t {
    kSpectrogramMode = 1,  // white below min, through cyan, green, yellow to red at max
    kHistogramMode = 2,    // red at max through yellow, green, cyan to white
  };

  // Levels are limited to this range before colouring; a table covers it entirely.
  static constexpr int kLowestLevel = -120;
  static constexpr int kHighestLevel = 0;
  static constexpr int kTableSize = kHighestLevel - kLowestLevel + 1;

  // Break points ascending from min (spectrogram) or descending from max (histogram).
  void SetSpectrogram(int16_t max, int16_t min);
  void SetHistogram(int16_t max, int16_t min);

  uint32_t Colour(int level) const;

  // Colour of every level from 0 dBm (index 0) down to -120 dBm (index 120).
  std::array<uint32_t, kTableSize> Table() const;

  int16_t max() const { return max_; }
  int16_t min() const { return min_; }
  int16_t r() const { return r_; }
  int16_t s() const { return s_; }
  int16_t g1() const { return g1_; }
  int16_t g2() const { return g2_; }
  int16_t g3() const { return g3_; }
  int32_t mode() const { return mode_; }

 private:
  void SetRange(int16_t max, int16_t min);

  int16_t max_ = 0;
  int16_t min_ = 0;
  int16_t r_ = 0;
  int16_t s_ = 0;
  int16_t g1_ = 0;
  int16_t g2_ = 0;
  int16_t g3_ = 0;
  int32_t mode_ = 0;  // neither mode: every level is black
};

}  // namespace qv
