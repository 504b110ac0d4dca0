#pragma once

namespace qv {

// Told when the trace record starts over, for a view that keeps its own history of sweeps (the
// density view). Whole sweeps reach such views through the receive path's sweep-complete hook.
class TracesResetListener {
 public:
  virtual ~TracesResetListener() = default;
  // The traces were reset (new settings, a log started or rewound).
  virtual void OnTracesReset() = 0;
};

}  // namespace qv
