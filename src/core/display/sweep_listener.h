#pragma once

#include <cstdint>

#include "core/link/sweep_message.h"

namespace qv {

// What the trace record tells a view built from whole sweeps (the density view).
class SweepListener {
 public:
  virtual ~SweepListener() = default;
  // A sweep is complete: `sixteenths` holds its `points` levels in 1/16 dBm, taken with the
  // settings of `header`. Called as the next sweep's first block arrives.
  virtual void OnSweep(const int16_t* sixteenths, int32_t points, const SweepHeader& header) = 0;
  // The traces were reset (new settings, a log started or rewound).
  virtual void OnTracesReset() = 0;
};

}  // namespace qv
