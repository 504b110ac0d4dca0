#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/receiver_identity.h"

namespace qv::sim {

// "18048-18560,48000-50000": band start and stop in 50 kHz steps, start below stop.
std::optional<std::vector<BandRange>> ParseBands(const std::string& text);

// An unsigned number, decimal or with a 0x prefix hexadecimal, no larger than `max`.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max);

}  // namespace qv::sim
