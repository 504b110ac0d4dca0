#include "core/display/graph_texts.h"

#include <cinttypes>
#include <cstdio>

namespace qv {
namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

}  // namespace

std::string ModeText(bool spectrum_mode, bool power_trigger_mode) {
  if (spectrum_mode) return "Mode: Spectrum Sweep";
  if (power_trigger_mode) return "Mode: Power Trigger";
  return "Mode:    None";
}

std::string CentreText(uint32_t start, uint32_t points, uint16_t sweep_word) {
  // The half span is taken in whole steps before scaling.
  const uint32_t steps = (static_cast<uint32_t>(sweep_word) * points) / 2 + start;
  return Format("Ctr: %0.2f MHz", steps * 50.0 / 1000.0);
}

std::string SpanText(uint32_t points, uint16_t sweep_word) {
  const uint64_t steps = static_cast<uint64_t>(sweep_word) * points;
  if (steps * 50 / 1000 != 0) return Format("Span: %0.2f MHz", steps * 50.0 / 1000.0);
  return Format("Span: %" PRIu64 " KHz", steps * 50);
}

std::string RbwText(uint16_t rbw_code) {
  if (rbw_code == 0) return "RBW:  NA";
  return Format("RBW: %d KHz", 80000 / rbw_code);
}

std::string ReferenceLevelText(int16_t reference_level) {
  if (reference_level == 0) return "Ref Lvl: NA";
  return Format("Ref Lvl: %d dBm", reference_level);
}

std::string SweepPowerText(float sweep_power) {
  if (sweep_power == 0) return "Power:   NA";
  return Format("Power: %0.02f dBm", static_cast<double>(sweep_power));
}

std::string TriggerPowerText(int32_t threshold) {
  return Format("Trigger Power: %d dBm", threshold);
}

std::string MhzText(double mhz) {
  return Format("%0.2f MHz", mhz);
}

std::string DbmText(double dbm) {
  return Format("%0.02f dBm", dbm);
}

std::string ChannelText(int32_t channel_number, double dbm) {
  return Format("Ch # %d: %0.02f dBm", channel_number, dbm);
}

std::string IndicatorText(double mhz) {
  return Format("%0.2fMHz", mhz);
}

std::string DeltaLevelText(double db) {
  return Format("%0.2f dB;", db);
}

std::string DeltaFrequencyText(double mhz) {
  return Format("%0.2f MHz;", mhz);
}

std::string MarkerPowerText(float band_sum, float band_power) {
  if (band_sum == 0) return "Ch Power: NA";
  return Format("Ch Power: %0.2f dBm", static_cast<double>(band_power));
}

std::string LowBatteryText(int32_t countdown) {
  // The first break is a literal backslash and n, as the Receiver's owners have always seen it.
  return Format(
      "LOW BATTERY WARNING !!!\\n Please Recharge the Batteries for the Quorvalin Receiver\n"
      " To Protect your Quorvalin, this Program will terminate after %d seconds",
      countdown);
}

std::string DataSilenceText(int32_t seconds) {
  return Format("No data from the Receiver for %d s", seconds);
}

std::string ReceiverQuietText(int32_t seconds, bool waiting_for_trigger) {
  if (seconds <= 0) return {};
  return waiting_for_trigger ? Format("Waiting for trigger: %d s", seconds) : DataSilenceText(seconds);
}

std::string FirstSweepWaitText(bool power_trigger, int32_t seconds) {
  return power_trigger ? Format("Waiting for trigger: %d s", seconds > 0 ? seconds : 0)
                       : std::string("Waiting for the first sweep");
}

std::string ReplayPercentText(uint64_t position, uint64_t length) {
  const uint64_t percent = length == 0 ? 0 : position * 100 / length;
  return Format("%d %%", static_cast<int>(percent));
}

int32_t ReplayBarRight(uint64_t position, uint64_t length, int32_t dx) {
  if (length == 0) return 60;
  return static_cast<int32_t>(position * static_cast<uint64_t>(dx > 0 ? dx : 0) * 2 / length) + 60;
}

std::string LogSizeText(uint64_t bytes) {
  return Format("Log Size: %" PRIu64 " Bytes", bytes);
}

std::string LogTimeText(int32_t minutes) {
  return Format("Log Time: %d Mins", minutes);
}

}  // namespace qv
