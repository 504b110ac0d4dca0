#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/app/connection_ops.h"
#include "core/app/manual_clock.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "gui/control/frequency_page.h"
#include "gui/control/rbw_page.h"
#include "gui/control/reference_level_page.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"
#include "gui/ui/arrow_captions.h"

namespace qv {
namespace {

using Msgs = std::vector<RecordingAlerts::Shown>;

// The graph as the operations see it: the sweep on screen is the trace's last header.
class TraceGraph : public GraphSteps {
 public:
  TraceGraph(const TraceData& trace, DisplayState& state) : trace_(trace), state_(state) {}
  void ResetTraces() override {}
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override { state_.area_selected = false; }
  SweepWindow CurrentSweep() const override { return {trace_.header.start, trace_.header.points}; }

 private:
  const TraceData& trace_;
  DisplayState& state_;
};

// The pages over a live connection whose sweep on screen runs 2400 MHz to 2450 MHz.
class FrequencyPagesTest : public ::testing::Test {
 protected:
  FrequencyPagesTest() {
    trace_->header.start = 48000;
    trace_->header.points = 1000;
    receiver_.connected = 1;
    ops_.SetLink(kSerialInterface, &link_);
    context_.ops = &ops_;
    context_.alerts = &alerts_;
  }

  ManualClock clock_;
  std::unique_ptr<TraceData> trace_ = std::make_unique<TraceData>();
  DisplayState state_;
  RecordingAlerts alerts_;
  FakeLink link_;
  ReceiverState receiver_;
  TraceGraph graph_{*trace_, state_};
  CConnectionOps ops_{receiver_, alerts_, graph_};
  PageContext context_{*trace_, state_, clock_, nullptr};
};

class FrequencyPageTest : public FrequencyPagesTest {
 protected:
  void Click(const QString& caption) {
    QAbstractButton* button = page_.Button(caption);
    ASSERT_NE(button, nullptr) << caption.toStdString();
    button->click();
  }
  // Types a value on the keypad after emptying the field.
  void Key(const std::string& keys) {
    Click("Clear");
    for (char c : keys) Click(QString(QChar(c)));
  }
  QString Text() const { return page_.Entry()->text(); }
  bool Checked(const QString& caption) { return page_.Button(caption)->isChecked(); }

  CFrqSettingsDialog page_{context_};
};

TEST_F(FrequencyPageTest, SpanModeShowsTheCurrentSpanInMhzOrUnderOneMhzInKhz) {
  EXPECT_EQ(page_.Title(), "Freq Control");
  Click("  Span");
  EXPECT_EQ(Text(), "50.00");
  EXPECT_TRUE(Checked("   MHz"));
  EXPECT_FALSE(Checked("   KHz"));
  EXPECT_TRUE(page_.Button("   KHz")->isEnabled());

  trace_->header.points = 10;
  Click("  Span");
  EXPECT_EQ(Text(), "500");
  EXPECT_TRUE(Checked("   KHz"));
  EXPECT_FALSE(Checked("   MHz"));

  // A centre is always MHz: kHz cannot be chosen.
  trace_->header.points = 1000;
  Click("  Center Frequency");
  EXPECT_EQ(Text(), "2425.00");
  EXPECT_TRUE(Checked("   MHz"));
  EXPECT_FALSE(page_.Button("   KHz")->isEnabled());
}

TEST_F(FrequencyPageTest, SpanLimitsAreShownAndNothingIsSent) {
  Click("  Span");
  page_.Button("   KHz")->click();
  Key("49");
  Click("Set");
  page_.Button("   MHz")->click();
  Key("801");
  Click("Set");
  // 800 MHz passes the page but fits no band around 2425 MHz; Enter in the field sets it too.
  Key("800");
  QTest::keyClick(page_.Entry(), Qt::Key_Return);
  EXPECT_EQ(alerts_.shown,
            (Msgs{{"Minimum Span: 50 KHz", "Invalid Span Alert"},
                  {"Maximum Span: 800MHz", "Invalid Value"},
                  {"Span out of bounds for Current Center Frequency for Current Band.\n Please "
                   "change your Center Frequency to an appropriate value \n and then Set this Span",
                   "Invalid Span Alert !"}}));
  EXPECT_TRUE(link_.sent.empty());
}

TEST_F(FrequencyPageTest, CentreNearTheBandEdgeSendsTheClampedWindowAndDropsTheSelection) {
  state_.area_selected = true;
  Click("  Center Frequency");
  Key("2410");
  Click("Set");
  // 2400 MHz to 2420 MHz, then the stored reference level again.
  EXPECT_EQ(link_.sent, (std::vector<Bytes>{
                            {0x04, 0x80, 0xBB, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00,
                             0x40, 0x06},
                            {0x07, 0xEC, 0xFF}}));
  EXPECT_FALSE(state_.area_selected);

  link_.sent.clear();
  Key("2600");
  Click("Set");
  EXPECT_TRUE(link_.sent.empty());
  EXPECT_EQ(alerts_.shown, (Msgs{{"Center Frequency out of a Valid Band", "Invalid Value !"}}));
}

TEST_F(FrequencyPageTest, CentresAtTheTopEdgesAreClampedAndThoseOutsideEveryBandRefused) {
  Click("  Center Frequency");
  Key("2490");  // 2480 MHz to 2500 MHz
  Click("Set");
  Key("4980");  // 4970 MHz to 4990 MHz
  Click("Set");
  EXPECT_EQ(link_.sent, (std::vector<Bytes>{
                            {0x04, 0xC0, 0xC1, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00,
                             0x40, 0x06},
                            {0x07, 0xEC, 0xFF},
                            {0x04, 0x48, 0x84, 0x01, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01, 0x00,
                             0x40, 0x06},
                            {0x07, 0xEC, 0xFF}}));

  link_.sent.clear();
  Key("900");
  Click("Set");
  Key("6000");
  Click("Set");
  // 100 MHz around 2425 MHz would start below the band.
  Click("  Span");
  page_.Button("   MHz")->click();
  Key("100");
  Click("Set");
  EXPECT_TRUE(link_.sent.empty());
  const RecordingAlerts::Shown band{"Center Frequency out of a Valid Band", "Invalid Value !"};
  const RecordingAlerts::Shown span{
      "Span out of bounds for Current Center Frequency for Current Band.\n Please change your "
      "Center Frequency to an appropriate value \n and then Set this Span",
      "Invalid Span Alert !"};
  EXPECT_EQ(alerts_.shown, (Msgs{band, band, span}));
}

TEST_F(FrequencyPageTest, SetBeforeAnyModeDoesNothing) {
  Key("2410");
  ASSERT_TRUE(page_.Button("Set")->isEnabled());  // the keypad filled the field
  Click("Set");
  EXPECT_TRUE(link_.sent.empty());
  EXPECT_TRUE(alerts_.shown.empty());
}

TEST_F(FrequencyPageTest, KeypadArrowsAndTypingEditTheValue) {
  Click("  Span");
  page_.Button("   KHz")->click();
  Key("99.5");
  EXPECT_EQ(Text(), "99.5");
  Click("<--");
  Click("<--");
  EXPECT_EQ(Text(), "99");
  // Past 999 kHz the span continues at 1 MHz; below 1 it wraps back to 999 kHz.
  Key("999");
  Click(UpArrowCaption());
  EXPECT_EQ(Text(), "1");
  EXPECT_TRUE(Checked("   MHz"));
  Click(DownArrowCaption());
  EXPECT_EQ(Text(), "999");
  EXPECT_TRUE(Checked("   KHz"));

  // Typed by hand: the whole-number part counts, and an empty field disables the arrows.
  QTest::keyClick(page_.Entry(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(page_.Entry(), Qt::Key_Backspace);
  EXPECT_FALSE(page_.Button(UpArrowCaption())->isEnabled());
  EXPECT_FALSE(page_.Button("Set")->isEnabled());
  QTest::keyClicks(page_.Entry(), "20.9");
  EXPECT_EQ(page_.Logic().value(), 20u);
  EXPECT_TRUE(page_.Button("Set")->isEnabled());
}

TEST_F(FrequencyPageTest, SetDefaultSwitchesToSpectrumModeAndSendsTheDefaultWindow) {
  trace_->header.start = 98800;
  trace_->header.points = 200;
  Click("Set Default");
  EXPECT_EQ(link_.sent, (std::vector<Bytes>{
                            {0x03, 0x01},
                            {0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x01, 0x00,
                             0x40, 0x06},
                            {0x07, 0xEC, 0xFF}}));
}

TEST_F(FrequencyPagesTest, PagesWithoutAConnectionYetSendNothing) {
  context_.ops = nullptr;
  context_.alerts = nullptr;
  CFrqSettingsDialog frequency(context_);
  CRBWDialog rbw(context_);
  CRefLvlDialog level(context_);
  frequency.Button("Set Default")->click();
  frequency.Button("  Span")->click();
  frequency.Button("Set")->click();
  rbw.Button("300 KHz")->click();
  level.Button("-70 dBm")->click();
  EXPECT_TRUE(link_.sent.empty());
  EXPECT_EQ(level.Index(), 6);
}

TEST_F(FrequencyPagesTest, ResolutionButtonResendsTheSweepOnScreenWithItsCode) {
  CRBWDialog page(context_);
  EXPECT_EQ(page.Title(), "Resolution");
  QStringList captions;
  for (QPushButton* b : page.Body()->findChildren<QPushButton*>()) captions << b->text();
  EXPECT_EQ(captions, (QStringList{"50 KHz", "100 KHz", "300 KHz", "500 KHz", "1000 KHz"}));

  trace_->header.start = 48200;  // 2410 MHz, span 50 MHz
  receiver_.working.sweep_word = 7;
  page.Button("300 KHz")->click();
  EXPECT_EQ(page.Code(), 267);
  EXPECT_EQ(link_.sent, (std::vector<Bytes>{
                            {0x04, 0x48, 0xBC, 0x00, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x01, 0x00,
                             0x0B, 0x01},
                            {0x07, 0xEC, 0xFF}}));
}

TEST_F(FrequencyPagesTest, ReferenceLevelRescalesBothWindowsBeforeTheCommand) {
  CHistogramDlg histogram(*trace_);
  CSpectrogramDialog spectrogram;
  context_.histogram = &histogram;
  context_.spectrogram = &spectrogram;
  CRefLvlDialog page(context_);
  EXPECT_EQ(page.Title(), "Reference Level");
  QStringList captions;
  for (QPushButton* b : page.Body()->findChildren<QPushButton*>()) captions << b->text();
  EXPECT_EQ(captions, (QStringList{"-20 dBm", "-30 dBm", "-40 dBm", "-50 dBm", "-60 dBm",
                                   "-70 dBm"}));

  link_.accept = false;  // the windows stay re-scaled when the command fails
  page.Button("-70 dBm")->click();
  EXPECT_EQ(spectrogram.range().maximum(), -70);
  EXPECT_EQ(spectrogram.range().minimum(), -170);
  auto* top = qobject_cast<QLabel*>(histogram.Control(CHistogramDlg::kScaleTopLabel));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->text(), "-70 dBm");
  EXPECT_EQ(alerts_.shown, (Msgs{{"Reference Level could not be set", "Command Failure Alert !"}}));

  link_.accept = true;
  page.Button("-70 dBm")->click();
  EXPECT_EQ(link_.sent, (std::vector<Bytes>{{0x07, 0xBA, 0xFF}}));
  EXPECT_EQ(receiver_.reference_level_index, 6);
}

}  // namespace
}  // namespace qv
