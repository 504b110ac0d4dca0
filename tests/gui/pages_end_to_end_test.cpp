#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QImage>
#include <QLineEdit>
#include <QStringList>
#include <vector>

#include "core/link/sweep_message.h"
#include "gui/control/frequency_page.h"
#include "gui/control/preset_pages.h"
#include "gui/control/rbw_page.h"
#include "gui/control/reference_level_page.h"
#include "gui/display/graph_painter.h"
#include "gui/display/trace_pages.h"
#include "gui/trigger/trigger_page.h"
#include "gui/ui/side_panels.h"
#include "support/sim_view.h"

namespace qv {
namespace {

using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

class LegendTexts : public GraphTextLog {
 public:
  void Text(const QString& text, const QPoint&, const QColor&, const QFont&) override {
    texts << text;
  }
  QStringList texts;
};

// The side-panel pages of the real view, used as a user would, against the simulated Receiver.
class PagesEndToEndTest : public ::testing::Test, public SimViewTest {
 protected:
  void SetUp() override {
    view_->Display().resize(800, 600);
    Connect();
    RunUntil(20000);  // identity, band list and the default spectrum
    ASSERT_TRUE(view_->Display().SpectrumMode());
  }

  template <typename Page>
  Page& PageTitled(const char* title) {
    auto* page = dynamic_cast<Page*>(view_->Display().Panels().Page(QString::fromLatin1(title)));
    EXPECT_NE(page, nullptr) << title;
    return *page;
  }

  // What the graph would draw now.
  QStringList Legend() {
    LegendTexts log;
    QImage image;
    view_->Display().PaintPicture(image, &log);
    return log.texts;
  }

  const SweepHeader& OnScreen() { return view_->Display().Trace().header; }

  void FrequencyEntry(CFrqSettingsDialog& page, const char* mode, const char* value) {
    page.Button(QString::fromLatin1(mode))->click();
    page.Button("Clear")->click();
    for (const char* c = value; *c; ++c) page.Button(QString(QChar(*c)))->click();
    page.Button("Set")->click();
  }

  void TypeInto(CTriggerDialog& page, QLineEdit* box, const QStringList& keys) {
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(box, &focus);
    for (const QString& key : keys) page.Button(key)->click();
  }
};

TEST_F(PagesEndToEndTest, CentreSpanResolutionAndLevelReachTheFollowingSweepsAndTheLegend) {
  EXPECT_THAT(Legend(), IsSupersetOf({"Mode: Spectrum Sweep", "Ctr: 2425.00 MHz",
                                      "Span: 50.00 MHz", "RBW: 50 KHz", "Ref Lvl: -20 dBm"}));

  auto& frequency = PageTitled<CFrqSettingsDialog>("Freq Control");
  FrequencyEntry(frequency, "  Center Frequency", "2440");
  RunFor(3000);
  EXPECT_EQ(OnScreen().start, 48300u);  // 2415 MHz
  EXPECT_EQ(OnScreen().points, 1000u);
  FrequencyEntry(frequency, "  Span", "20");
  RunFor(3000);
  EXPECT_EQ(OnScreen().start, 48600u);  // 2430 MHz to 2450 MHz
  EXPECT_EQ(OnScreen().points, 400u);

  PageTitled<CRBWDialog>("Resolution").Button("300 KHz")->click();
  RunFor(3000);
  EXPECT_EQ(OnScreen().rbw_code, 267);
  PageTitled<CRefLvlDialog>("Reference Level").Button("-50 dBm")->click();
  RunFor(3000);
  EXPECT_EQ(OnScreen().reference_level, -50);
  EXPECT_EQ(OnScreen().start, 48600u);  // the window stayed

  EXPECT_THAT(Legend(), IsSupersetOf({"Mode: Spectrum Sweep", "Ctr: 2440.00 MHz",
                                      "Span: 20.00 MHz", "RBW: 299 KHz", "Ref Lvl: -50 dBm"}));
  EXPECT_TRUE(alerts_.shown.empty());
  EXPECT_EQ(link_->closes, 0);
}

TEST_F(PagesEndToEndTest, AWifiPresetThenAveragedAndFrozenTracesShowInTheLegend) {
  // The simulated Receiver reports four bands; each brings its own preset pages.
  auto& wifi = PageTitled<C80211BPresetDialog>("802.11B/G");
  const int six = wifi.ChannelBox()->findText("6");
  ASSERT_GE(six, 0);
  wifi.ChannelBox()->setCurrentIndex(six);
  emit wifi.ChannelBox()->activated(six);
  wifi.SetButton()->click();
  RunFor(3000);
  EXPECT_EQ(OnScreen().start, 48520u);  // channel 6: 2426 MHz to 2448 MHz
  EXPECT_EQ(OnScreen().points, 440u);
  EXPECT_THAT(Legend(), Contains("Ctr: 2437.00 MHz"));

  auto& average = PageTitled<CScrAvgDialog>("Scr Avg");
  average.CountEdit()->setText("10");
  average.GoButton()->click();
  auto& peak = PageTitled<CPeakHoldTraceDialog>("Peak Hold");
  peak.TraceBox(0)->click();
  RunFor(3000);
  peak.FreezeButton()->click();
  const TraceData& trace = view_->Display().Trace();
  const auto held = trace.peaks[0].y;
  RunFor(2000);

  EXPECT_TRUE(trace.trace_average_on);
  EXPECT_TRUE(trace.peaks[0].frozen);
  EXPECT_TRUE(trace.peaks[0].y == held);  // frozen: the bursts since left it alone
  EXPECT_THAT(Legend(), IsSupersetOf({"Current Spectrum", "Trace Average: Active",
                                      "Frozen Peak Tr 1"}));
}

TEST_F(PagesEndToEndTest, PowerTriggerFiresOnTheSimulatedBurstsAndStopReturnsToSweeps) {
  auto& trigger = *view_->Display().Panels().Trigger();
  TypeInto(trigger, trigger.ThresholdEdit(), {"_", "5", "5"});
  TypeInto(trigger, trigger.DelayEdit(), {"0"});
  trigger.Button("Set Trigger")->click();
  EXPECT_EQ(trigger.StatusText(), "Waiting for Trigger...");

  // The hopper and the oven cross -55 dBm now and then; each crossing sends one sweep.
  for (int second = 0; second < 30 && trigger.StatusText() != "Triggering !!!"; ++second) {
    RunFor(1000);
  }
  EXPECT_EQ(trigger.StatusText(), "Triggering !!!");
  EXPECT_NE(view_->Display().State().trigger_time_text, "Last Trigger Time: Not Available");
  EXPECT_TRUE(view_->Display().PowerTriggerMode());
  EXPECT_EQ(OnScreen().points, 400u);  // trigger mode sweeps at most 400 points
  EXPECT_EQ(OnScreen().type, kMsgTriggerSweep);
  EXPECT_THAT(Legend(), IsSupersetOf({"Mode: Power Trigger", "Trigger Power: -55 dBm"}));

  trigger.Button("Stop Trigger")->click();
  RunFor(3000);
  EXPECT_TRUE(view_->Display().SpectrumMode());
  EXPECT_EQ(OnScreen().type, kMsgSweep);
  EXPECT_THAT(Legend(), Not(Contains("Mode: Power Trigger")));
  EXPECT_TRUE(alerts_.shown.empty());
}

}  // namespace
}  // namespace qv
