// Reads arbitrary bytes as the recorder's config file. Either every line is taken or one message
// names the file and line at fault; whatever was taken stays within what the options allow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/app/recorder_options.h"
#include "core/control/channel_plans.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::RecorderOptions options;
  std::string error;
  const bool ok = qv::ParseRecorderConfigText(
      std::string_view(reinterpret_cast<const char*>(data), size), "r.conf", &options, &error);
  Check(ok == error.empty());
  Check(error.find('\n') == std::string::npos);
  if (!ok) Check(error.rfind("r.conf:", 0) == 0);

  Check(options.threshold_dbm >= -150 && options.threshold_dbm <= 0);
  Check(options.channel_span_ms >= 10000 && options.channel_span_ms <= 86400000);
  Check(options.rotate.None() || options.rotate.seconds >= 10 || options.rotate.bytes >= 65536);
  Check(options.keep.seconds >= 0);
  for (const auto& mhz : {options.start_mhz, options.stop_mhz}) {
    Check(!mhz || (std::isfinite(*mhz) && *mhz > 0));
  }
  Check(options.plan.empty() || qv::ChannelPlanById(options.plan) != nullptr);
  Check(!options.metrics || !options.metrics->host.empty());
  return 0;
}
