#pragma once

#include <cstdint>

namespace qv {

// The record the set-spectrum command carries. Frequencies and spans are counts of 50 kHz steps.
struct SpectrumSettings {
  uint32_t start = 0;
  uint32_t span = 0;
  uint16_t sweep_word = 1;  // every sender sets 1
  uint16_t rbw_code = 1600;

  friend bool operator==(const SpectrumSettings&, const SpectrumSettings&) = default;
};

}  // namespace qv
