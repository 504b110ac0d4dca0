#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The graph's texts, formatted exactly as the picture shows them.

std::string ModeText(bool spectrum_mode, bool power_trigger_mode);
// Centre and span of a sweep of `points` points of `sweep_word` 50 kHz steps from `start`.
std::string CentreText(uint32_t start, uint32_t points, uint16_t sweep_word);
std::string SpanText(uint32_t points, uint16_t sweep_word);
std::string RbwText(uint16_t rbw_code);
std::string ReferenceLevelText(int16_t reference_level);
std::string SweepPowerText(float sweep_power);
std::string TriggerPowerText(int32_t threshold);

std::string MhzText(double mhz);         // "2425.00 MHz"
std::string DbmText(double dbm);         // "-40.25 dBm"
std::string ChannelText(int32_t channel_number, double dbm);

// The frequency under the pointer, for the read-out beside it.
std::string IndicatorText(double mhz);   // "2425.00MHz"

// The delta line of a marker pair.
std::string DeltaLevelText(double db);
std::string DeltaFrequencyText(double mhz);
std::string MarkerPowerText(float band_sum, float band_power);

std::string LowBatteryText(int32_t countdown);
// A connected Receiver that stopped sending: "No data from the Receiver for 7 s".
std::string DataSilenceText(int32_t seconds);
// What a quiet Receiver's silence is shown as: the fault above, or in power-trigger mode the
// wait, "Waiting for trigger: 7 s". Empty while data flows.
std::string ReceiverQuietText(int32_t seconds, bool waiting_for_trigger);
// The wait for a new setting's first sweep, "Waiting for the first sweep", or in power-trigger
// mode for its first trigger, `seconds` after it was set: "Waiting for trigger: 3 s".
std::string FirstSweepWaitText(bool power_trigger, int32_t seconds);
inline constexpr const char* kDataClippingText = "Data Clipping !!!,\nIncrease Reference Level";

std::string ReplayPercentText(uint64_t position, uint64_t length);
// x where the progress bar ends for `position` of `length` bytes.
int32_t ReplayBarRight(uint64_t position, uint64_t length, int32_t dx);
std::string LogSizeText(uint64_t bytes);
std::string LogTimeText(int32_t minutes);

}  // namespace qv
