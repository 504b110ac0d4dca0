#include "core/display/plot_scale.h"

namespace qv {

float FrequencyAtX(int32_t x, uint32_t points, uint32_t start, int32_t plot_right) {
  const double width = static_cast<double>(plot_right) - kPlotLeftMargin;
  const double last_point = points > 0 ? static_cast<double>(points) - 1.0 : 0.0;
  double offset = 0.0;
  if (width != 0.0) {
    offset = 50.0 * (static_cast<double>(x) - kPlotLeftMargin) * last_point / width;
  }
  return static_cast<float>((offset + 50.0 * start) / 1000.0);
}

}  // namespace qv
