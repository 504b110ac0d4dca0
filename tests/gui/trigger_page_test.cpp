#include "gui/trigger/trigger_page.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <memory>
#include <string>
#include <vector>

#include "core/app/connection_ops.h"
#include "core/app/graph_steps.h"
#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class GraphJournal : public GraphSteps {
 public:
  void ResetTraces() override { journal.push_back("reset"); }
  void ClearModeFlags() override { journal.push_back("flags"); }
  void StartTriggerClock() override { journal.push_back("clock"); }
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {}; }

  std::vector<std::string> journal;
};

class TriggerPageTest : public ::testing::Test {
 protected:
  TriggerPageTest() {
    receiver_.interface_index = kSerialInterface;
    receiver_.connected = 1;
    receiver_.working = {48000, 600, 1, 1600};
    ops_.SetLink(kSerialInterface, &link_);
    context_.ops = &ops_;
    context_.alerts = &alerts_;
  }

  void Press(const QString& caption) {
    QPushButton* button = page_->Button(caption);
    ASSERT_NE(button, nullptr) << caption.toStdString();
    button->click();
  }
  void Type(QLineEdit* box, const std::vector<QString>& keys) {
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(box, &focus);
    for (const QString& key : keys) Press(key);
  }

  ManualClock clock_;
  std::unique_ptr<TraceData> trace_ = std::make_unique<TraceData>();
  DisplayState display_;
  ReceiverState receiver_;
  RecordingAlerts alerts_;
  GraphJournal graph_;
  FakeLink link_{"serial"};
  CConnectionOps ops_{receiver_, alerts_, graph_};
  PageContext context_{*trace_, display_, clock_, nullptr};
  std::unique_ptr<CTriggerDialog> page_ = std::make_unique<CTriggerDialog>(context_);
};

TEST_F(TriggerPageTest, ArrowsStopAtTheThresholdLimitsAndFollowTheEmptyField) {
  EXPECT_EQ(page_->Title(), QStringLiteral("Trigger"));
  page_->ThresholdEdit()->setText("-20");
  page_->ThresholdUp()->click();
  EXPECT_EQ(page_->ThresholdEdit()->text(), "-20");
  page_->ThresholdDown()->click();
  EXPECT_EQ(page_->ThresholdEdit()->text(), "-21");
  EXPECT_EQ(display_.trigger_threshold_text, "-21");

  page_->ThresholdEdit()->setText("-70");
  page_->ThresholdDown()->click();
  EXPECT_EQ(page_->ThresholdEdit()->text(), "-70");
  page_->ThresholdUp()->click();
  EXPECT_EQ(page_->ThresholdEdit()->text(), "-69");

  page_->ThresholdEdit()->clear();
  EXPECT_FALSE(page_->Button("Set Trigger")->isEnabled());
  EXPECT_FALSE(page_->ThresholdUp()->isEnabled());
  EXPECT_TRUE(page_->DelayUp()->isEnabled());
  page_->DelayEdit()->setText("5");
  page_->DelayEdit()->clear();
  EXPECT_FALSE(page_->DelayDown()->isEnabled());
  page_->ThresholdEdit()->setText("-30");
  EXPECT_TRUE(page_->Button("Set Trigger")->isEnabled());
}

TEST_F(TriggerPageTest, KeypadTypesIntoTheFocusedBoxAndSetTriggerSendsTheSequence) {
  QSignalSpy clock_request(page_.get(), &CTriggerDialog::TriggerClockStartRequested);
  Type(page_->DelayEdit(), {"1", "0"});
  Type(page_->ThresholdEdit(), {"_", "6", "5", "2", "<--"});
  EXPECT_EQ(page_->DelayEdit()->text(), "10");
  EXPECT_EQ(page_->ThresholdEdit()->text(), "-65");

  Press("Set Trigger");
  // 10 us is 800 units of 12.5 ns; the 600-step span is cut to 400 for trigger mode.
  const std::vector<Bytes> expected = {
      {0x03, 0x02},
      {0x09, 0xBF, 0xFF, 0x20, 0x03},
      {0x04, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06},
      {0x07, 0xEC, 0xFF},
  };
  EXPECT_EQ(link_.sent, expected);
  EXPECT_EQ(receiver_.working.span, 400u);
  EXPECT_EQ(receiver_.trigger_threshold, -65);
  EXPECT_EQ(clock_request.count(), 1);
  EXPECT_EQ(graph_.journal.back(), "clock");
  EXPECT_TRUE(alerts_.shown.empty());
}

TEST_F(TriggerPageTest, SetTriggerRefusesWhatCannotBeSent) {
  page_->ThresholdEdit()->setText("-40");
  page_->DelayEdit()->setText("820");
  Press("Set Trigger");
  ASSERT_EQ(alerts_.shown.size(), 1u);
  EXPECT_EQ(alerts_.shown[0],
            (RecordingAlerts::Shown{"Maximum Delay: 819 usecs", "Invalid Value"}));
  EXPECT_EQ(link_.attempts, 0);

  page_->ThresholdEdit()->clear();
  page_->DelayEdit()->clear();
  page_->SetTrigger();
  ASSERT_EQ(alerts_.shown.size(), 2u);
  EXPECT_EQ(alerts_.shown[1],
            (RecordingAlerts::Shown{"Please Set a valid Trigger Power Threshold", "Alert"}));
  EXPECT_EQ(link_.attempts, 0);

  // The longest delay that fits is still sent, and a narrow span is left alone.
  receiver_.working.span = 300;
  page_->ThresholdEdit()->setText("-40");
  page_->DelayEdit()->setText("819");
  Press("Set Trigger");
  ASSERT_GE(link_.sent.size(), 3u);
  EXPECT_EQ(link_.sent[1], (Bytes{0x09, 0xD8, 0xFF, 0xF0, 0xFF}));
  EXPECT_EQ(link_.sent[2][5], 0x2C);  // span 300 = 0x012C
  EXPECT_EQ(link_.sent[2][6], 0x01);
}

TEST_F(TriggerPageTest, StopTriggerReturnsToSpectrumModeWithTheWorkingSettings) {
  receiver_.working.span = 400;
  Press("Stop Trigger");
  const std::vector<Bytes> expected = {
      {0x03, 0x01},
      {0x04, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00, 0x40, 0x06},
      {0x07, 0xEC, 0xFF},
  };
  EXPECT_EQ(link_.sent, expected);

  link_.sent.clear();
  link_.accept = false;
  Press("Stop Trigger");
  EXPECT_EQ(link_.attempts, 4);  // the set-mode attempt only
  EXPECT_TRUE(link_.sent.empty());
}

TEST_F(TriggerPageTest, TimeSinceTheLastTriggerCountsSecondsIntoMinutes) {
  EXPECT_EQ(display_.trigger_time_text, "Last Trigger Time: Not Available");
  EXPECT_EQ(page_->StatusText(), "Waiting for Trigger...");

  // The graph's timer 2 calls the page once a second.
  std::unique_ptr<Timer> timer2 = clock_.CreateTimer();
  timer2->SetCallback([this] { page_->Tick(); });
  timer2->Start(1000);
  clock_.Advance(5000);
  page_->TriggerArrived();
  EXPECT_EQ(display_.trigger_time_text, "0 secs");
  EXPECT_EQ(page_->StatusText(), "Triggering !!!");
  clock_.Advance(1000);
  EXPECT_EQ(display_.trigger_time_text, "0 mins 1 secs");
  clock_.Advance(59000);
  EXPECT_EQ(display_.trigger_time_text, "1 mins 0 secs");
  clock_.Advance(1000);
  EXPECT_EQ(display_.trigger_time_text, "1 mins 1 secs");

  page_->TriggerArrived();
  EXPECT_EQ(page_->Minutes(), 0);
  EXPECT_EQ(page_->Seconds(), 0);
}

TEST_F(TriggerPageTest, TheWholeNoteFitsOnThePage) {
  QLabel* note = nullptr;
  for (QLabel* label : page_->Body()->findChildren<QLabel*>()) {
    if (label->text().startsWith("Trigger Power Threshold")) note = label;
  }
  ASSERT_NE(note, nullptr);
  page_->Body()->layout()->activate();
  EXPECT_GE(note->height(), note->heightForWidth(note->width()));
}

}  // namespace
}  // namespace qv
