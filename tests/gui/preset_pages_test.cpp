#include "gui/control/preset_pages.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "core/app/connection_ops.h"
#include "core/app/manual_clock.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class QuietGraph : public GraphSteps {
 public:
  void ResetTraces() override {}
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {}; }
};

const Bytes kSpectrumModeFrame = {0x03, 0x01};

class PresetPagesTest : public ::testing::Test {
 protected:
  PresetPagesTest() {
    ops_.SetLink(kSerialInterface, &link_);
    state_.connected = 1;
    context_.ops = &ops_;
    context_.alerts = &alerts_;
  }

  template <typename Page>
  Page& Make() {
    auto* page = new Page(context_, &graph_);
    return *page;
  }

  // As when the user picks the entry from the list.
  static void Pick(CChannelPresetPage& page, const QString& channel) {
    const int index = page.ChannelBox()->findText(channel);
    ASSERT_GE(index, 0) << channel.toStdString();
    page.ChannelBox()->setCurrentIndex(index);
    emit page.ChannelBox()->activated(index);
  }

  // The mode frame and the set-spectrum frame the preset sent first.
  void ExpectPresetSent(const Bytes& spectrum) {
    ASSERT_GE(link_.sent.size(), 2u);
    EXPECT_EQ(link_.sent[0], kSpectrumModeFrame);
    EXPECT_EQ(link_.sent[1], spectrum);
  }

  ManualClock clock_;
  std::unique_ptr<TraceData> trace_ = std::make_unique<TraceData>();
  DisplayState display_;
  QWidget graph_;  // owns the pages
  PageContext context_{*trace_, display_, clock_, &graph_};
  ReceiverState state_;
  RecordingAlerts alerts_;
  QuietGraph steps_;
  CConnectionOps ops_{state_, alerts_, steps_};
  FakeLink link_;
};

TEST_F(PresetPagesTest, WifiChannelsShowTheirFiguresAndSetSendsModeThenTheChannelWindow) {
  auto& bg = Make<C80211BPresetDialog>();
  EXPECT_EQ(bg.Title(), "802.11B/G");
  EXPECT_EQ(bg.ChannelBox()->count(), 14);
  bg.SpanField()->setText("keep");
  Pick(bg, "14");
  EXPECT_EQ(bg.CentreField()->text(), "2484");
  EXPECT_EQ(bg.StartField()->text(), "2473");
  EXPECT_EQ(bg.StopField()->text(), "2495");
  EXPECT_EQ(bg.SpanField()->text(), "keep");  // this page leaves the span field alone
  EXPECT_TRUE(link_.sent.empty());            // choosing only shows
  bg.SetButton()->click();
  ExpectPresetSent({0x04, 0x34, 0xC1, 0x00, 0x00, 0xB8, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});
  EXPECT_EQ(state_.working.start, 49460u);
  EXPECT_EQ(state_.working.span, 440u);

  link_.sent.clear();
  auto& a = Make<C80211APresetDialog>();
  Pick(a, "36");
  EXPECT_EQ(a.CentreField()->text(), "5180");
  EXPECT_EQ(a.SpanField()->text(), "20");
  a.SetButton()->click();
  ExpectPresetSent({0x04, 0xE8, 0x93, 0x01, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});

  link_.sent.clear();
  auto& zigbee = Make<CZigBeePresetDialog>();
  Pick(zigbee, "1");
  EXPECT_EQ(zigbee.CentreField()->text(), "906");
  EXPECT_EQ(zigbee.SpanField()->text(), "2");
  zigbee.SetButton()->click();
  ExpectPresetSent({0x04, 0xB4, 0x46, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});
}

TEST_F(PresetPagesTest, PublicSafetyWritesFloatTextsAndSendsTruncatedSteps) {
  auto& page = Make<CPublicSafetyPresets>();
  EXPECT_EQ(page.ChannelBox()->count(), 18);
  EXPECT_EQ(page.WholeBandButton(), nullptr);
  Pick(page, "1");
  EXPECT_EQ(page.CentreField()->text(), "4940.50");
  EXPECT_EQ(page.StartField()->text(), "4940.000000");
  EXPECT_EQ(page.StopField()->text(), "4941.000000");
  EXPECT_EQ(page.SpanField()->text(), "1");
  page.SetButton()->click();
  ExpectPresetSent({0x04, 0xF0, 0x81, 0x01, 0x00, 0x14, 0x00, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});

  link_.sent.clear();
  Pick(page, "6");
  EXPECT_EQ(page.CentreField()->text(), "4947.50");
  EXPECT_EQ(page.SpanField()->text(), "5");
  page.SetButton()->click();
  ExpectPresetSent({0x04, 0x54, 0x82, 0x01, 0x00, 0x64, 0x00, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});
}

TEST_F(PresetPagesTest, UniiListFollowsTheSubBandAndKeepsTheLastFiguresUntilANewPick) {
  auto& page = Make<CUNIIPresets>();
  EXPECT_FALSE(page.ChannelBox()->isEnabled());
  EXPECT_EQ(page.ChannelBox()->count(), 0);
  EXPECT_EQ(page.SubBandRadio(2)->text(), "  UNII - 2");

  page.SubBandRadio(2)->click();
  EXPECT_TRUE(page.ChannelBox()->isEnabled());
  EXPECT_EQ(page.ChannelBox()->count(), 11);
  Pick(page, "11");
  EXPECT_EQ(page.CentreField()->text(), "5720");
  EXPECT_EQ(page.StartField()->text(), "5710");

  page.SubBandRadio(3)->click();
  EXPECT_EQ(page.ChannelBox()->count(), 4);
  EXPECT_EQ(page.ChannelBox()->currentIndex(), -1);  // refilling picks nothing
  EXPECT_EQ(page.CentreField()->text(), "5720");
  page.SetButton()->click();  // still the sub-band 2 channel
  ExpectPresetSent({0x04, 0x18, 0xBE, 0x01, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06});

  Pick(page, "1");
  EXPECT_EQ(page.CentreField()->text(), "5725");
}

TEST_F(PresetPagesTest, SetBeforeAChannelSendsNothingButWholeBandButtonsAlwaysSend) {
  auto& page = Make<C80211BPresetDialog>();
  page.SetButton()->click();
  EXPECT_TRUE(link_.sent.empty());

  // The sweep word and resolution bandwidth are not the preset's to change.
  state_.working.rbw_code = 267;
  ASSERT_NE(page.WholeBandButton(), nullptr);
  EXPECT_EQ(page.WholeBandButton()->text(), "2400 MHz - 2500 MHz");
  page.WholeBandButton()->click();
  ExpectPresetSent({0x04, 0x80, 0xBB, 0x00, 0x00, 0xD0, 0x07, 0x00, 0x00, 0x01, 0x00, 0x0B, 0x01});
}

TEST_F(PresetPagesTest, RefusedModeCommandStopsThePresetQuietly) {
  auto& page = Make<CZigBeePresetDialog>();
  const SpectrumSettings before = state_.working;
  link_.accept = false;
  page.WholeBandButton()->click();
  EXPECT_EQ(link_.attempts, 1);  // only the mode command was tried
  EXPECT_EQ(state_.working, before);
  EXPECT_TRUE(alerts_.shown.empty());

  // Without a connection yet the page does nothing at all.
  context_.ops = nullptr;
  link_.accept = true;
  page.WholeBandButton()->click();
  EXPECT_EQ(link_.attempts, 1);
}

TEST_F(PresetPagesTest, BandStartsCreateOnlyTheirPagesInDockingOrder) {
  const std::vector<CTabDialog*> wifi = CreatePresetPages(48000, context_);
  ASSERT_EQ(wifi.size(), 1u);
  EXPECT_NE(dynamic_cast<C80211BPresetDialog*>(wifi[0]), nullptr);
  EXPECT_EQ(wifi[0]->parentWidget(), &graph_);

  const std::vector<CTabDialog*> five = CreatePresetPages(103000, context_);
  ASSERT_EQ(five.size(), 2u);
  EXPECT_EQ(five[0]->Title(), "802.11A");
  EXPECT_EQ(five[1]->Title(), "UNII");
  EXPECT_NE(dynamic_cast<CUNIIPresets*>(five[1]), nullptr);

  EXPECT_EQ(CreatePresetPages(18048, context_).at(0)->Title(), "900Mhz");
  EXPECT_EQ(CreatePresetPages(98000, context_).at(0)->Title(), "Public Safety");
  EXPECT_TRUE(CreatePresetPages(48001, context_).empty());
  EXPECT_TRUE(CreatePresetPages(0, context_).empty());
}

}  // namespace
}  // namespace qv
