#include "core/control/channel_presets.h"

#include <charconv>
#include <cstdio>

#include "core/display/receiver_identity.h"

namespace qv {
namespace {

constexpr uint32_t kStepsPerMhz = 1000 / kStepKhz;

std::vector<std::string> Numbers(int first, int last) {
  std::vector<std::string> list;
  for (int n = first; n <= last; ++n) list.push_back(std::to_string(n));
  return list;
}

int UniiChannelCount(int sub_band) {
  switch (sub_band) {
    case 1:
      return 8;
    case 2:
      return 11;
    case 3:
      return 4;
    default:
      return 0;
  }
}

bool IsListed(PresetPage page, int sub_band, int channel) {
  const std::string text = std::to_string(channel);
  for (const std::string& entry : ChannelList(page, sub_band)) {
    if (entry == text) return true;
  }
  return false;
}

std::string FloatText(const char* format, float value) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<double>(value));
  return text;
}

// Integer-MHz pages: centre and a half width either side.
ChannelFigures IntegerChannel(int centre, int half_width, bool show_span) {
  ChannelFigures figures;
  figures.centre = std::to_string(centre);
  figures.start = std::to_string(centre - half_width);
  figures.stop = std::to_string(centre + half_width);
  if (show_span) figures.span = std::to_string(2 * half_width);
  figures.window = {static_cast<uint32_t>(centre - half_width) * kStepsPerMhz,
                    static_cast<uint32_t>(2 * half_width) * kStepsPerMhz};
  return figures;
}

ChannelFigures PublicSafetyChannel(int channel) {
  float centre;
  int width;
  if (channel <= 5) {
    centre = 4940.5f + static_cast<float>(channel - 1);
    width = 1;
  } else if (channel <= 13) {
    centre = 4947.5f + 5.0f * static_cast<float>(channel - 6);
    width = 5;
  } else {
    centre = 4985.5f + static_cast<float>(channel - 14);
    width = 1;
  }
  const float half = static_cast<float>(width) / 2.0f;
  const float start = centre - half;
  ChannelFigures figures;
  figures.centre = FloatText("%0.2f", centre);
  figures.start = FloatText("%f", start);
  figures.stop = FloatText("%f", centre + half);
  figures.span = std::to_string(width);
  // The float product truncated toward zero, as the page has always sent it.
  figures.window = {static_cast<uint32_t>(start * static_cast<float>(kStepsPerMhz)),
                    static_cast<uint32_t>(width) * kStepsPerMhz};
  return figures;
}

}  // namespace

std::string_view PresetClassName(PresetPage page) {
  switch (page) {
    case PresetPage::k900Mhz:
      return "CZigBeePresetDialog";
    case PresetPage::k80211BG:
      return "C80211BPresetDialog";
    case PresetPage::kPublicSafety:
      return "CPublicSafetyPresets";
    case PresetPage::k80211A:
      return "C80211APresetDialog";
    case PresetPage::kUnii:
      return "CUNIIPresets";
  }
  return {};
}

std::string_view PresetTabCaption(PresetPage page) {
  switch (page) {
    case PresetPage::k900Mhz:
      return "900Mhz";
    case PresetPage::k80211BG:
      return "802.11B/G";
    case PresetPage::kPublicSafety:
      return "Public Safety";
    case PresetPage::k80211A:
      return "802.11A";
    case PresetPage::kUnii:
      return "UNII";
  }
  return {};
}

std::vector<PresetPage> PresetPagesForBand(uint32_t band_start) {
  // The same starts the trace record reports to its owner (IsPresetBandStart).
  switch (band_start) {
    case kBand902Start:
      return {PresetPage::k900Mhz};
    case kBand2400Start:
      return {PresetPage::k80211BG};
    case kBandPublicSafetyStart:
      return {PresetPage::kPublicSafety};
    case kBand5000Start:
      return {PresetPage::k80211A, PresetPage::kUnii};
    default:
      return {};
  }
}

std::vector<std::string> ChannelList(PresetPage page, int unii_sub_band) {
  switch (page) {
    case PresetPage::k900Mhz:
      return Numbers(1, 10);
    case PresetPage::k80211BG:
      return Numbers(1, 14);
    case PresetPage::kPublicSafety:
      return Numbers(1, 18);
    case PresetPage::k80211A:
      return {"34",  "36",  "38",  "40",  "42",  "44",  "46",  "48",  "52",
              "56",  "60",  "64",  "100", "104", "108", "112", "116", "120",
              "124", "128", "132", "136", "140", "149", "153", "157", "161"};
    case PresetPage::kUnii:
      return Numbers(1, UniiChannelCount(unii_sub_band));
  }
  return {};
}

std::optional<ChannelFigures> ChannelRule(PresetPage page, int unii_sub_band, int channel) {
  if (!IsListed(page, unii_sub_band, channel)) return std::nullopt;
  switch (page) {
    case PresetPage::k900Mhz:
      return IntegerChannel(904 + 2 * channel, 1, true);
    case PresetPage::k80211BG:
      return IntegerChannel(channel == 14 ? 2484 : 2407 + 5 * channel, 11, false);
    case PresetPage::kPublicSafety:
      return PublicSafetyChannel(channel);
    case PresetPage::k80211A:
      return IntegerChannel(5000 + 5 * channel, 10, true);
    case PresetPage::kUnii: {
      static constexpr int kUniiBase[3] = {5135, 5445, 5700};
      return IntegerChannel(25 * channel + kUniiBase[unii_sub_band - 1], 10, false);
    }
  }
  return std::nullopt;
}

std::optional<WholeBandButton> WholeBandButtonOf(PresetPage page) {
  switch (page) {
    case PresetPage::k900Mhz:
      return WholeBandButton{"902 MHz - 928 MHz", {18048, 490}};
    case PresetPage::k80211BG:
      return WholeBandButton{"2400 MHz - 2500 MHz", {48000, 2000}};
    case PresetPage::k80211A:
      return WholeBandButton{"5150 MHz - 5900 MHz", {103000, 15000}};
    default:
      return std::nullopt;
  }
}

std::vector<std::string> ChannelPresetPage::ChooseSubBand(int sub_band) {
  if (page_ != PresetPage::kUnii || UniiChannelCount(sub_band) == 0) return {};
  sub_band_ = sub_band;
  return ChannelList(page_, sub_band_);
}

std::optional<ChannelFigures> ChannelPresetPage::ChooseChannel(std::string_view text) {
  int channel = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), channel);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  std::optional<ChannelFigures> figures = ChannelRule(page_, sub_band_, channel);
  if (figures) window_ = figures->window;
  return figures;
}

std::optional<FrequencyWindow> ChannelPresetPage::SetWindow() const {
  return window_;
}

}  // namespace qv
