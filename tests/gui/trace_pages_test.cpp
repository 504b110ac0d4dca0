#include "gui/display/trace_pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "core/app/manual_clock.h"
#include "core/display/display_state.h"
#include "core/display/trace_colour.h"
#include "core/display/trace_data.h"

namespace qv {
namespace {

class TracePagesTest : public ::testing::Test {
 protected:
  TracePagesTest() {
    trace_->header.points = 10;
    trace_->points_received = 10;
    for (int i = 0; i < 10; ++i) trace_->live_y[i] = static_cast<int16_t>(100 + i);
  }

  ManualClock clock_;
  std::unique_ptr<TraceData> trace_ = std::make_unique<TraceData>();
  DisplayState state_;
  PageContext context_{*trace_, state_, clock_, nullptr};
};

using PeakHoldPageTest = TracePagesTest;

TEST_F(PeakHoldPageTest, CheckingATraceMakesItTheOnlyLiveOneStartedFromTheLiveTrace) {
  CPeakHoldTraceDialog page(context_);
  EXPECT_EQ(page.Title(), QStringLiteral("Peak Hold"));
  // Each box names the colour its trace is drawn in.
  const std::pair<const char*, Colour> names[] = {{"(Orange)", Rgb(255, 128, 0)},
                                                 {"(Yellow)", Rgb(255, 255, 0)},
                                                 {"(Blue)", Rgb(135, 206, 235)},
                                                 {"(Red)", Rgb(255, 0, 0)}};
  for (int k = 0; k < kTraceSlots; ++k) {
    EXPECT_TRUE(page.TraceBox(k)->text().contains(QLatin1String(names[k].first)));
    EXPECT_EQ(trace_->peaks[k].colour, names[k].second);
  }
  EXPECT_FALSE(page.FreezeButton()->isEnabled());
  EXPECT_FALSE(page.HideBox(0)->isEnabled());

  page.TraceBox(0)->click();
  page.HideBox(0)->click();
  EXPECT_EQ(trace_->peaks[0].hidden, 1);
  page.TraceBox(1)->click();
  EXPECT_EQ(trace_->peaks[0].live, 0);
  EXPECT_EQ(trace_->peaks[0].hidden, 0);
  EXPECT_FALSE(page.TraceBox(0)->isChecked());
  EXPECT_FALSE(page.HideBox(0)->isChecked());
  EXPECT_FALSE(page.HideBox(0)->isEnabled());
  EXPECT_EQ(page.Status(0)->text(), QStringLiteral("Disabled"));
  EXPECT_EQ(trace_->peaks[1].live, 1);
  EXPECT_EQ(page.Status(1)->text(), QStringLiteral("Live"));
  EXPECT_EQ(trace_->peaks[1].y[9], 109);
  EXPECT_TRUE(page.FreezeButton()->isEnabled());
  EXPECT_TRUE(page.HideAllBox()->isEnabled());

  page.TraceBox(1)->click();
  EXPECT_EQ(trace_->peaks[1].live, 0);
  EXPECT_FALSE(page.FreezeButton()->isEnabled());
  EXPECT_FALSE(page.ClearAllButton()->isEnabled());
}

TEST_F(PeakHoldPageTest, AFrozenTraceStaysWhileAnotherRunsAndHideAllCoversBoth) {
  CPeakHoldTraceDialog page(context_);
  page.TraceBox(0)->click();
  page.FreezeButton()->click();
  EXPECT_EQ(trace_->peaks[0].frozen, 1);
  EXPECT_EQ(trace_->peaks[0].live, 0);
  EXPECT_EQ(page.Status(0)->text(), QStringLiteral("Frozen"));

  trace_->live_y[0] = 5;
  page.TraceBox(2)->click();
  EXPECT_TRUE(page.TraceBox(0)->isChecked());
  EXPECT_EQ(trace_->peaks[0].frozen, 1);
  EXPECT_EQ(trace_->peaks[0].y[0], 100);  // the frozen copy is not restarted
  EXPECT_EQ(page.Status(0)->text(), QStringLiteral("Frozen"));
  EXPECT_EQ(trace_->peaks[2].live, 1);
  EXPECT_EQ(trace_->peaks[2].y[0], 5);
  int live = 0;
  for (const PeakSlot& peak : trace_->peaks) live += peak.live;
  EXPECT_EQ(live, 1);

  // The min hold runs beside the peaks and freezes on its own.
  page.MinBox()->click();
  EXPECT_EQ(trace_->min_hold.live, 1);
  EXPECT_EQ(trace_->min_hold.y[0], 5);
  EXPECT_EQ(page.MinStatus()->text(), QStringLiteral("Live"));
  page.MinFreezeButton()->click();
  EXPECT_EQ(trace_->min_hold.frozen, 1);
  EXPECT_EQ(trace_->min_hold.live, 0);
  EXPECT_EQ(trace_->peaks[2].live, 1);
  EXPECT_EQ(page.MinStatus()->text(), QStringLiteral("Frozen"));

  page.HideAllBox()->click();
  EXPECT_TRUE(page.MinHideBox()->isChecked());
  EXPECT_EQ(trace_->min_hold.hidden, 1);
  EXPECT_EQ(trace_->peaks[0].hidden, 1);
  EXPECT_EQ(trace_->peaks[2].hidden, 1);
  EXPECT_EQ(trace_->peaks[1].hidden, 0);
  EXPECT_TRUE(page.HideBox(2)->isChecked());
  EXPECT_FALSE(page.HideBox(1)->isChecked());

  // Clear all switches the peak traces off, frozen or live; the min hold (frozen and hidden
  // here) is not switched off but starts over, live, from the live trace.
  trace_->min_hold.y[0] = 200;
  trace_->live_y[0] = 7;
  page.ClearAllButton()->click();
  for (int k = 0; k < kTraceSlots; ++k) {
    EXPECT_EQ(trace_->peaks[k].live + trace_->peaks[k].frozen + trace_->peaks[k].hidden, 0);
    EXPECT_FALSE(page.TraceBox(k)->isChecked());
    EXPECT_FALSE(page.HideBox(k)->isEnabled());
    EXPECT_EQ(page.Status(k)->text(), QStringLiteral("Disabled"));
  }
  EXPECT_EQ(trace_->min_hold.live, 1);
  EXPECT_EQ(trace_->min_hold.frozen + trace_->min_hold.hidden, 0);
  EXPECT_EQ(trace_->min_hold.y[0], 7);
  EXPECT_TRUE(page.MinBox()->isChecked());
  EXPECT_FALSE(page.MinHideBox()->isChecked());
  EXPECT_EQ(page.MinStatus()->text(), QStringLiteral("Live"));
  EXPECT_FALSE(page.HideAllBox()->isChecked());
  EXPECT_FALSE(page.FreezeButton()->isEnabled());
  EXPECT_EQ(page.CurrentSlot(), 2);
}

using ScrAvgPageTest = TracePagesTest;

TEST_F(ScrAvgPageTest, GoStopAndTheCountKeptBetweenOneAndAHundred) {
  CScrAvgDialog page(context_);
  EXPECT_EQ(page.Title(), QStringLiteral("Scr Avg"));
  page.DownButton()->click();
  EXPECT_EQ(page.Count(), 1);
  page.UpButton()->click();
  page.UpButton()->click();
  page.UpButton()->click();
  page.GoButton()->click();
  EXPECT_EQ(trace_->trace_average_on, 1);
  EXPECT_EQ(trace_->average_count, 4);
  EXPECT_EQ(trace_->average_index, 0);
  EXPECT_EQ(page.CountEdit()->text(), QStringLiteral("4"));

  // While running, a new count reaches the record at once.
  page.UpButton()->click();
  EXPECT_EQ(trace_->average_count, 5);
  for (int i = 0; i < 120; ++i) page.UpButton()->click();
  EXPECT_EQ(page.Count(), 100);
  EXPECT_EQ(trace_->average_count, 100);
  EXPECT_EQ(page.CountEdit()->text(), QStringLiteral("100"));

  page.StopButton()->click();
  EXPECT_EQ(trace_->trace_average_on, 0);
  EXPECT_EQ(trace_->average_count, 0);
  page.HideTraceBox()->click();
  EXPECT_TRUE(state_.average_hidden);
}

TEST_F(ScrAvgPageTest, UnfreezingASlotClearsItsHideBoxAndFlags) {
  CScrAvgDialog page(context_);
  FrozenSlotBoxes* frozen = page.Frozen();
  EXPECT_FALSE(frozen->HideBox(3)->isEnabled());
  frozen->FreezeBox(3)->click();
  EXPECT_EQ(trace_->frozen_average[3].frozen, 1);
  ASSERT_TRUE(frozen->HideBox(3)->isEnabled());
  frozen->HideBox(3)->click();
  EXPECT_EQ(trace_->frozen_average[3].hidden, 1);
  frozen->FreezeBox(3)->click();
  EXPECT_EQ(trace_->frozen_average[3].frozen, 0);
  EXPECT_EQ(trace_->frozen_average[3].hidden, 0);
  EXPECT_FALSE(frozen->HideBox(3)->isChecked());
  EXPECT_FALSE(frozen->HideBox(3)->isEnabled());
  EXPECT_EQ(trace_->frozen_bin_average[3].frozen, 0);
}

using VideoAvgPageTest = TracePagesTest;

TEST_F(VideoAvgPageTest, BinCountStaysWithinOneAndThePointCount) {
  CVideoSmoothingDialog page(context_);
  EXPECT_EQ(page.Title(), QStringLiteral("Video Avg"));
  page.DownButton()->click();
  EXPECT_EQ(state_.bin_count, 1);
  for (int i = 0; i < 15; ++i) page.UpButton()->click();
  EXPECT_EQ(state_.bin_count, 10);
  EXPECT_EQ(page.BinEdit()->text(), QStringLiteral("10"));

  // A narrower sweep arrives: Go smooths over what fits.
  trace_->header.points = 6;
  page.GoButton()->click();
  EXPECT_EQ(state_.bin_count, 6);
}

TEST_F(VideoAvgPageTest, GoClearsTheSmoothedPointsAndSwapsTheButtons) {
  CVideoSmoothingDialog page(context_);
  EXPECT_FALSE(page.StopButton()->isEnabled());
  for (int i = 0; i < 3; ++i) page.UpButton()->click();  // W = 4: points 0 ... 6 smoothed
  trace_->bin_average_y.fill(7);
  page.GoButton()->click();
  EXPECT_EQ(trace_->bin_average_on, 1);
  EXPECT_EQ(trace_->bin_average_y[6], kBinAverageStartY);
  EXPECT_EQ(trace_->bin_average_y[7], 7);
  EXPECT_FALSE(page.GoButton()->isEnabled());
  EXPECT_TRUE(page.StopButton()->isEnabled());
  page.StopButton()->click();
  EXPECT_EQ(trace_->bin_average_on, 0);
  EXPECT_TRUE(page.GoButton()->isEnabled());
  page.HideTraceBox()->click();
  EXPECT_TRUE(state_.bin_average_hidden);
  page.Frozen()->FreezeBox(0)->click();
  EXPECT_EQ(trace_->frozen_bin_average[0].frozen, 1);
  EXPECT_EQ(trace_->frozen_average[0].frozen, 0);
}

using TraceColourPageTest = TracePagesTest;

TEST_F(TraceColourPageTest, SliderSetsTheLiveColourAndTheBoxHidesTheTrace) {
  CTraceAdjustment page(context_);
  EXPECT_EQ(page.Title(), QStringLiteral("Trace Colour"));
  EXPECT_EQ(page.Slider()->value(), 136);
  page.Slider()->setValue(0);
  EXPECT_EQ(state_.live_colour, Rgb(136, 255, 136));
  page.Slider()->setValue(272);
  EXPECT_EQ(state_.live_colour, Rgb(0, 119, 0));
  page.Slider()->setValue(137);
  EXPECT_EQ(state_.live_colour, Rgb(0, 254, 0));
  page.Slider()->setValue(136);
  EXPECT_EQ(state_.live_colour, Rgb(0, 255, 0));
  EXPECT_EQ(LiveTraceColour(100), Rgb(36, 255, 36));

  page.HideTraceBox()->click();
  EXPECT_FALSE(state_.live_shown);
  page.HideTraceBox()->click();
  EXPECT_TRUE(state_.live_shown);
}

}  // namespace
}  // namespace qv
