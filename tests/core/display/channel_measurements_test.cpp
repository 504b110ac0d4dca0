#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/control/channel_plans.h"
#include "core/display/channel_plan_layout.h"
#include "core/display/channel_utilisation.h"
#include "core/display/occupied_bandwidth.h"
#include "core/record/band_summary.h"

namespace qv {
namespace {

constexpr uint64_t kMhz = 1000000;

const PlanChannel& Channel(const ChannelPlan& plan, const std::string& label) {
  for (const PlanChannel& c : plan.channels) {
    if (c.label == label) return c;
  }
  ADD_FAILURE() << "no channel " << label << " in " << plan.id;
  return plan.channels.front();
}

TEST(ChannelPlans, EdgesFromThePresetsAndThePlanFollowsTheBand) {
  const ChannelPlan* wifi = ChannelPlanById("wifi24");
  ASSERT_NE(wifi, nullptr);
  ASSERT_EQ(wifi->channels.size(), 14u);
  EXPECT_EQ(Channel(*wifi, "1").low_hz, 2401 * kMhz);
  EXPECT_EQ(Channel(*wifi, "1").high_hz, 2423 * kMhz);
  EXPECT_EQ(Channel(*wifi, "6").CentreHz(), 2437 * kMhz);
  EXPECT_EQ(Channel(*wifi, "14").low_hz, 2473 * kMhz);
  EXPECT_EQ(Channel(*wifi, "14").high_hz, 2495 * kMhz);
  const ChannelPlan* a = ChannelPlanById("wifi5");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Channel(*a, "36").low_hz, 5170 * kMhz);
  EXPECT_EQ(Channel(*a, "36").high_hz, 5190 * kMhz);
  // Sub-bands keep their own numbers apart.
  EXPECT_EQ(Channel(*ChannelPlanById("unii"), "2-1").CentreHz(), 5470 * kMhz);
  EXPECT_EQ(Channel(*ChannelPlanById("public-safety"), "1").low_hz, 4940 * kMhz);
  EXPECT_EQ(ChannelPlanById("nope"), nullptr);

  EXPECT_EQ(ChannelPlanForSpan(2400 * kMhz, 2500 * kMhz), wifi);
  // A band showing only part of a channel still gets its plan.
  EXPECT_EQ(ChannelPlanForSpan(2420 * kMhz, 2425 * kMhz), wifi);
  EXPECT_EQ(ChannelPlanForSpan(902 * kMhz, 928 * kMhz)->id, "ism900");
  EXPECT_EQ(ChannelPlanForSpan(4940 * kMhz, 4990 * kMhz)->id, "public-safety");
  EXPECT_EQ(ChannelPlanForSpan(5150 * kMhz, 5900 * kMhz), a);
  EXPECT_EQ(ChannelPlanForSpan(2300 * kMhz, 2401 * kMhz), nullptr);
  EXPECT_EQ(ChannelPlanIds(), "ism900, wifi24, public-safety, wifi5, unii");

  // The whole 5 GHz band at 1280 pixels: labels far wider than the channels never overlap in a
  // row; those without room keep only their band.
  const GraphGeometry g(GraphRect{0, 0, 1280, 800}, 1500);  // 5150 ... 5900 MHz, 0.5 MHz apart
  const std::vector<ChannelBandPlace> places =
      PlaceChannelBands(*a, g, 103000, 10, std::vector<int32_t>(a->channels.size(), 100), 4, 5);
  EXPECT_EQ(places.size(), 27u);
  size_t labelled = 0;
  for (size_t i = 0; i < places.size(); ++i) {
    if (!places[i].labelled) continue;
    ++labelled;
    const int32_t middle = (places[i].left + places[i].right) / 2;
    for (size_t j = i + 1; j < places.size(); ++j) {
      if (!places[j].labelled || places[j].row != places[i].row) continue;
      EXPECT_GE((places[j].left + places[j].right) / 2 - middle, 100 + 4) << i << " " << j;
    }
  }
  EXPECT_GE(labelled, 10u);
}

// 2400 ... 2500 MHz in 1 MHz points, all at -100 dBm; channel 6 (2426 ... 2448) gets one point
// at -60 dBm when busy.
std::vector<int16_t> Sweep(bool channel6_busy) {
  std::vector<int16_t> levels(100, -100 * 16);
  if (channel6_busy) levels[37] = -60 * 16;
  return levels;
}

TEST(ChannelUtilisation, ShareOfBusySweepsOverASlidingWindow) {
  LiveChannelUse use(10000);
  for (int k = 0; k < 10; ++k) {
    const std::vector<int16_t> levels = Sweep(k % 2 == 0);
    use.AddSweep(k * 1000, 2400 * kMhz, kMhz, levels.data(), 100);
  }
  ASSERT_NE(use.Plan(), nullptr);
  EXPECT_EQ(use.Plan()->id, "wifi24");
  std::vector<ChannelUse> figures = use.Figures(9000);
  ASSERT_EQ(figures.size(), 14u);
  const ChannelUse& ch1 = figures[0];
  const ChannelUse& ch6 = figures[5];
  EXPECT_EQ(ch6.sweeps, 10u);
  EXPECT_DOUBLE_EQ(ch6.UtilisationPercent(), 50.0);
  EXPECT_DOUBLE_EQ(ch1.UtilisationPercent(), 0.0);
  EXPECT_DOUBLE_EQ(ch1.MeanDbm(), -100.0);
  // 23 points a sweep, one of them 40 dB up in half the sweeps: the mean of the dBm values.
  EXPECT_DOUBLE_EQ(ch6.MeanDbm(), -100.0 + 40.0 * 5 / 230);
  EXPECT_DOUBLE_EQ(ch6.MaxDbm(), -60.0);
  EXPECT_EQ(ch1.level_count, 230u);

  // Five idle sweeps later only k = 5 ... 14 are inside (4 s, 14 s]: busy at 6 and 8.
  for (int k = 10; k < 15; ++k) {
    const std::vector<int16_t> levels = Sweep(false);
    use.AddSweep(k * 1000, 2400 * kMhz, kMhz, levels.data(), 100);
  }
  figures = use.Figures(14000);
  EXPECT_EQ(figures[5].sweeps, 10u);
  EXPECT_DOUBLE_EQ(figures[5].UtilisationPercent(), 20.0);
  // With no sweep arriving the window still moves on.
  figures = use.Figures(20000);
  EXPECT_EQ(figures[5].sweeps, 4u);
  EXPECT_DOUBLE_EQ(figures[5].UtilisationPercent(), 0.0);
  // A clock that goes back (a replayed log's set back, or live again after a replay) counts
  // afresh: the seconds it meets again hold only what came after.
  const std::vector<int16_t> quiet = Sweep(false);
  use.AddSweep(3000, 2400 * kMhz, kMhz, quiet.data(), 100);
  use.AddSweep(9000, 2400 * kMhz, kMhz, quiet.data(), 100);
  EXPECT_EQ(use.Figures(9000)[5].sweeps, 2u);

  // Another band: another plan, counted from nothing; the threshold itself counts as busy.
  std::vector<int16_t> at_threshold(100, -85 * 16);
  use.AddSweep(21000, 5150 * kMhz, 10 * kMhz, at_threshold.data(), 75);
  EXPECT_EQ(use.Plan()->id, "wifi5");
  figures = use.Figures(21000);
  EXPECT_EQ(figures[1].sweeps, 1u);
  EXPECT_DOUBLE_EQ(figures[1].UtilisationPercent(), 100.0);
  // A band no plan covers leaves nothing to show.
  use.AddSweep(22000, 100 * kMhz, kMhz, at_threshold.data(), 10);
  EXPECT_EQ(use.Plan(), nullptr);
  EXPECT_TRUE(use.Figures(22000).empty());

  // Sweeps judged at one busy level are not mixed with another's: a new level counts afresh.
  // A narrower span drops the older seconds at once.
  const std::vector<int16_t> idle = Sweep(false);
  use.AddSweep(23000, 2400 * kMhz, kMhz, idle.data(), 100);
  EXPECT_DOUBLE_EQ(use.Figures(23000)[0].UtilisationPercent(), 0.0);
  use.SetThreshold(-110 * 16);
  EXPECT_EQ(use.Figures(23000)[0].sweeps, 0u);
  for (int k = 24; k < 27; ++k) use.AddSweep(k * 1000, 2400 * kMhz, kMhz, idle.data(), 100);
  EXPECT_EQ(use.Figures(26000)[0].sweeps, 3u);
  EXPECT_DOUBLE_EQ(use.Figures(26000)[0].UtilisationPercent(), 100.0);
  use.SetWindowMs(2000);
  EXPECT_EQ(use.Figures(26000)[0].sweeps, 2u);
}

// The figures say what they count: threshold and span, and while the sweeps since a new
// threshold cover less than the span, how many they are.
TEST(ChannelUtilisation, CaptionNamesThresholdSpanAndTheSweepsOfAShortCount) {
  LiveChannelUse use(10000);
  const std::vector<int16_t> levels = Sweep(false);
  const auto caption = [&](int64_t now) {
    return ChannelUseCaption(use.Threshold() / 16, use.WindowMs(), use.Figures(now)[0].sweeps,
                             use.CoversSpan(now));
  };
  for (int k = 0; k < 3; ++k) use.AddSweep(k * 1000, 2400 * kMhz, kMhz, levels.data(), 100);
  EXPECT_EQ(caption(2000), "Busy at -85 dBm over 3 sweeps (span 10 s)");
  for (int k = 3; k <= 12; ++k) use.AddSweep(k * 1000, 2400 * kMhz, kMhz, levels.data(), 100);
  EXPECT_EQ(caption(12000), "Busy at -85 dBm over 10 s");
  use.SetThreshold(-70 * 16);
  use.AddSweep(13000, 2400 * kMhz, kMhz, levels.data(), 100);
  EXPECT_EQ(caption(13000), "Busy at -70 dBm over 1 sweep (span 10 s)");
  use.SetWindowMs(900000);
  EXPECT_EQ(ChannelUseCaption(-85, use.WindowMs(), 5, true), "Busy at -85 dBm over 15 min");
  EXPECT_EQ(ChannelUseCaption(-85, 0, 1200, false), "Busy at -85 dBm over the window's 1200 sweeps");
}

TEST(OccupiedBandwidth, FlatBandCarrierAndAdjacentChannels) {
  // A flat band holds 99 % of its width between the 0.5 % and 99.5 % points.
  const std::vector<int16_t> flat(100, -50 * 16);
  BandReadings r = ReadBand(flat.data(), 100, 0, 99, 2400e6, 100e3);
  ASSERT_TRUE(r.ObwHz());
  EXPECT_NEAR(*r.ObwHz(), 9.9e6, 1.0);
  EXPECT_NEAR(*r.obw_low_hz, 2400.05e6, 1.0);
  EXPECT_FALSE(r.acpr_lower_dbc);
  EXPECT_FALSE(r.acpr_upper_dbc);
  EXPECT_EQ(ObwText(r), "OBW 9.900 MHz");
  EXPECT_EQ(AcprText(r), "ACPR lower n/a / upper n/a dBc");

  // A carrier 90 dB above the floor: all but a trace of the power sits in its own step.
  std::vector<int16_t> carrier(100, -100 * 16);
  carrier[50] = -10 * 16;
  r = ReadBand(carrier.data(), 100, 99, 0, 2400e6, 100e3);  // ends in either order
  ASSERT_TRUE(r.ObwHz());
  EXPECT_GT(*r.obw_low_hz, 2405.0e6);
  EXPECT_LT(*r.obw_high_hz, 2405.1e6);
  EXPECT_NEAR(*r.ObwHz(), 99e3, 100);

  // Channel 100 ... 199 at -30 dBm, the channel below at -60 dBm, the one above at -50 dBm.
  std::vector<int16_t> known(300, -60 * 16);
  std::fill(known.begin() + 100, known.begin() + 200, -30 * 16);
  std::fill(known.begin() + 200, known.end(), -50 * 16);
  r = ReadBand(known.data(), 300, 100, 199, 0, 50e3);
  ASSERT_TRUE(r.acpr_lower_dbc && r.acpr_upper_dbc);
  EXPECT_NEAR(*r.acpr_lower_dbc, -30.0, 0.01);
  EXPECT_NEAR(*r.acpr_upper_dbc, -20.0, 0.01);
  EXPECT_EQ(AcprText(r), "ACPR lower -30.0 / upper -20.0 dBc");
  // An adjacent channel that leaves the sweep has no reading; ends are kept in the sweep.
  r = ReadBand(known.data(), 300, 150, 400, 0, 50e3);
  EXPECT_TRUE(r.acpr_lower_dbc);
  EXPECT_FALSE(r.acpr_upper_dbc);
  EXPECT_FALSE(ReadBand(nullptr, 0, 0, 0, 0, 1).ObwHz());
}

// Export Traces' companion: a marker pair's band over the known spectrum, read as above, in Hz.
TEST(BandSummary, MarkerPairRowAndFileName) {
  auto trace = std::make_unique<TraceData>();
  trace->header.start = 48000;  // 2400 MHz
  trace->header.sweep_word = 2;  // 100 kHz
  trace->header.points = 300;
  std::fill_n(trace->live_sixteenths.begin(), 100, -60 * 16);
  std::fill_n(trace->live_sixteenths.begin() + 100, 100, -30 * 16);
  std::fill_n(trace->live_sixteenths.begin() + 200, 100, -50 * 16);
  MarkerRecord& mk = trace->markers[1];
  mk.a_placed = mk.b_placed = 1;
  mk.a_point = 199;
  mk.b_point = 100;
  mk.band_power = -10.0f;
  const GraphGeometry g(GraphRect{0, 0, 800, 600}, 300);
  const std::vector<MeasuredBand> bands = MeasuredBands(*trace, g);
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(BandSummaryCsv(*trace, bands),
            "band, low Hz, high Hz, power dBm, OBW Hz, OBW low Hz, OBW high Hz, ACPR lower dBc, "
            "ACPR upper dBc\n"
            "Marker 2, 2410000000, 2420000000, -10.00, 9900000, 2410050000, 2419950000, -30.00, "
            "-20.00\n");
  EXPECT_EQ(SummaryPathFor("/tmp/a.b/traces.csv"), "/tmp/a.b/traces-summary.csv");
  EXPECT_EQ(SummaryPathFor("/tmp/a.csv/traces"), "/tmp/a.csv/traces-summary.csv");
  EXPECT_EQ(SummaryPathFor("/tmp/.csv"), "/tmp/.csv-summary.csv");
}

}  // namespace
}  // namespace qv
