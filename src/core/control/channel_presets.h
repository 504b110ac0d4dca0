#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/control/frequency_rules.h"

namespace qv {

// The channel preset pages, one per wireless standard the Receiver's bands cover.
enum class PresetPage { k900Mhz, k80211BG, kPublicSafety, k80211A, kUnii };

// Class name and tab caption of a page, for the window that docks it.
std::string_view PresetClassName(PresetPage page);
std::string_view PresetTabCaption(PresetPage page);

// The pages a reported band creates, in docking order; none for an unknown band start.
std::vector<PresetPage> PresetPagesForBand(uint32_t band_start);

// Channel list entries in order. The UNII page's list depends on its sub-band (1..3) and is
// empty before one is chosen.
std::vector<std::string> ChannelList(PresetPage page, int unii_sub_band = 0);

// UNII sub-band radio captions, sub-bands 1..3.
inline constexpr std::string_view kUniiSubBandCaptions[3] = {"  UNII - 1", "  UNII - 2",
                                                             "  UNII - 3"};

// What choosing a channel shows and what "Set" then sends.
struct ChannelFigures {
  std::string centre;
  std::string start;
  std::string stop;
  std::optional<std::string> span;  // nullopt: the page leaves its span field as it is
  FrequencyWindow window;           // in steps
};

// The figures of a channel, or nullopt when the page has no such channel.
std::optional<ChannelFigures> ChannelRule(PresetPage page, int unii_sub_band, int channel);

// A button that sends a whole band.
struct WholeBandButton {
  std::string_view caption;
  FrequencyWindow window;
};
std::optional<WholeBandButton> WholeBandButtonOf(PresetPage page);

// One preset page's choices. The page routes its combo box and radio buttons here.
class ChannelPresetPage {
 public:
  explicit ChannelPresetPage(PresetPage page) : page_(page) {}

  PresetPage page() const { return page_; }

  // UNII sub-band radio button: the new channel list. The figures of the channel chosen before
  // stay until another channel is chosen.
  std::vector<std::string> ChooseSubBand(int sub_band);

  // Combo box selection, the entry's text. nullopt: not a channel of this page, nothing changes.
  std::optional<ChannelFigures> ChooseChannel(std::string_view text);

  // "Set": the window to send, or nullopt before any channel was chosen.
  std::optional<FrequencyWindow> SetWindow() const;

 private:
  PresetPage page_;
  int sub_band_ = 0;
  std::optional<FrequencyWindow> window_;
};

}  // namespace qv
