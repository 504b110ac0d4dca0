#include "core/control/channel_presets.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using Window = std::optional<FrequencyWindow>;

TEST(ChannelPresets, PagesFollowTheReportedBands) {
  EXPECT_EQ(PresetPagesForBand(18048), std::vector<PresetPage>{PresetPage::k900Mhz});
  EXPECT_EQ(PresetPagesForBand(48000), std::vector<PresetPage>{PresetPage::k80211BG});
  EXPECT_EQ(PresetPagesForBand(98000), std::vector<PresetPage>{PresetPage::kPublicSafety});
  EXPECT_EQ(PresetPagesForBand(103000),
            (std::vector<PresetPage>{PresetPage::k80211A, PresetPage::kUnii}));
  EXPECT_TRUE(PresetPagesForBand(98800).empty());
  EXPECT_TRUE(PresetPagesForBand(0).empty());
  EXPECT_EQ(PresetTabCaption(PresetPage::k900Mhz), "900Mhz");
  EXPECT_EQ(PresetTabCaption(PresetPage::kPublicSafety), "Public Safety");
}

TEST(ChannelPresets, ChannelListsInOrder) {
  EXPECT_EQ(ChannelList(PresetPage::k900Mhz).size(), 10u);
  EXPECT_EQ(ChannelList(PresetPage::k80211BG).back(), "14");
  EXPECT_EQ(ChannelList(PresetPage::kPublicSafety).size(), 18u);
  const std::vector<std::string> a = ChannelList(PresetPage::k80211A);
  ASSERT_EQ(a.size(), 27u);
  EXPECT_EQ(a.front(), "34");
  EXPECT_EQ(a[12], "100");
  EXPECT_EQ(a.back(), "161");
  EXPECT_TRUE(ChannelList(PresetPage::kUnii, 0).empty());
  EXPECT_EQ(ChannelList(PresetPage::kUnii, 1).size(), 8u);
  EXPECT_EQ(ChannelList(PresetPage::kUnii, 2).size(), 11u);
  EXPECT_EQ(ChannelList(PresetPage::kUnii, 3).size(), 4u);
}

TEST(ChannelPresets, IntegerPagesShowAndSendTheChannel) {
  ChannelPresetPage bg(PresetPage::k80211BG);
  std::optional<ChannelFigures> figures = bg.ChooseChannel("14");
  ASSERT_TRUE(figures);
  EXPECT_EQ(figures->centre, "2484");
  EXPECT_EQ(figures->start, "2473");
  EXPECT_EQ(figures->stop, "2495");
  EXPECT_EQ(figures->span, std::nullopt);
  EXPECT_EQ(bg.SetWindow(), Window(FrequencyWindow{49460, 440}));
  EXPECT_EQ(bg.ChooseChannel("6")->centre, "2437");

  ChannelPresetPage a(PresetPage::k80211A);
  figures = a.ChooseChannel("36");
  EXPECT_EQ(figures->centre, "5180");
  EXPECT_EQ(figures->span, "20");
  EXPECT_EQ(a.SetWindow(), Window(FrequencyWindow{103400, 400}));

  ChannelPresetPage zigbee(PresetPage::k900Mhz);
  figures = zigbee.ChooseChannel("1");
  EXPECT_EQ(figures->centre, "906");
  EXPECT_EQ(figures->start, "905");
  EXPECT_EQ(figures->stop, "907");
  EXPECT_EQ(figures->span, "2");
  EXPECT_EQ(zigbee.SetWindow(), Window(FrequencyWindow{18100, 40}));
}

TEST(ChannelPresets, UniiSubBands) {
  ChannelPresetPage unii(PresetPage::kUnii);
  EXPECT_EQ(unii.ChooseChannel("1"), std::nullopt);  // no sub-band yet
  EXPECT_EQ(unii.ChooseSubBand(2).size(), 11u);
  const std::optional<ChannelFigures> figures = unii.ChooseChannel("11");
  ASSERT_TRUE(figures);
  EXPECT_EQ(figures->centre, "5720");
  EXPECT_EQ(figures->start, "5710");
  EXPECT_EQ(unii.SetWindow(), Window(FrequencyWindow{114200, 400}));

  // Another sub-band keeps the chosen channel until a new one is picked; 11 is not in band 3.
  EXPECT_EQ(unii.ChooseSubBand(3).size(), 4u);
  EXPECT_EQ(unii.ChooseChannel("11"), std::nullopt);
  EXPECT_EQ(unii.SetWindow(), Window(FrequencyWindow{114200, 400}));
  EXPECT_EQ(unii.ChooseChannel("1")->centre, "5725");
}

TEST(ChannelPresets, PublicSafetyUsesHalfMegahertzCentres) {
  ChannelPresetPage page(PresetPage::kPublicSafety);
  std::optional<ChannelFigures> figures = page.ChooseChannel("1");
  ASSERT_TRUE(figures);
  EXPECT_EQ(figures->centre, "4940.50");
  EXPECT_EQ(figures->start, "4940.000000");
  EXPECT_EQ(figures->stop, "4941.000000");
  EXPECT_EQ(figures->span, "1");
  EXPECT_EQ(page.SetWindow(), Window(FrequencyWindow{98800, 20}));

  figures = page.ChooseChannel("6");
  EXPECT_EQ(figures->centre, "4947.50");
  EXPECT_EQ(figures->span, "5");
  EXPECT_EQ(page.SetWindow(), Window(FrequencyWindow{98900, 100}));

  figures = page.ChooseChannel("18");
  EXPECT_EQ(figures->centre, "4989.50");
  EXPECT_EQ(page.SetWindow(), Window(FrequencyWindow{99780, 20}));
}

TEST(ChannelPresets, SetBeforeAnyChannelSendsNothing) {
  ChannelPresetPage page(PresetPage::k80211BG);
  EXPECT_EQ(page.SetWindow(), std::nullopt);
  EXPECT_EQ(page.ChooseChannel("15"), std::nullopt);
  EXPECT_EQ(page.ChooseChannel(""), std::nullopt);
  EXPECT_EQ(page.ChooseChannel("1x"), std::nullopt);
  EXPECT_EQ(page.SetWindow(), std::nullopt);
}

TEST(ChannelPresets, WholeBandButtons) {
  EXPECT_EQ(WholeBandButtonOf(PresetPage::k900Mhz)->window, (FrequencyWindow{18048, 490}));
  EXPECT_EQ(WholeBandButtonOf(PresetPage::k80211BG)->caption, "2400 MHz - 2500 MHz");
  EXPECT_EQ(WholeBandButtonOf(PresetPage::k80211A)->window, (FrequencyWindow{103000, 15000}));
  EXPECT_EQ(WholeBandButtonOf(PresetPage::kUnii), std::nullopt);
}

}  // namespace
}  // namespace qv
