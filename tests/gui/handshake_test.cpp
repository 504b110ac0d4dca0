#include "core/link/handshake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"
#include "gui/app/form_view.h"
#include "gui/link/connection_sheet.h"
#include "support/recording_alerts.h"
#include "support/sim_view.h"

namespace qv {
namespace {

using ::testing::ElementsAre;

const QString kAttempting = QStringLiteral("Attempting Connection....\nWaiting for Response");
const QString kTcpEstablished =
    QStringLiteral("TCP/IP Connection Established\n Waiting for Receiver Parameters...");
const QString kFirmwareObtained =
    QStringLiteral("Firmware Version obtained\n Obtaining Receiver Band Info...");
const QString kBandInfo = QStringLiteral("Band Info Obtained...");
const QString kSettingDefault =
    QStringLiteral("Setting the Quorvalin to display\n the default Spectrum (2400MHz - 2450 MHz)");
const QString kCheckConnection = QStringLiteral(
    "Please Check the CF Card Connection and the \n Power Supply to the Quorvalin Receiver.\n "
    "Try Again after verification");

QByteArray Msg(std::initializer_list<uint8_t> bytes) {
  QByteArray out;
  for (uint8_t b : bytes) out.append(static_cast<char>(b));
  return out;
}

// Answers of a Receiver with firmware "1.05", one band 2400-2500 MHz, serial 100123.
const QByteArray kFirmwareAnswer = Msg({0x01, 0x31, 0x2E, 0x30, 0x35, 0x00});
const QByteArray kBandAnswer = Msg({0x08, 0x01, 0x80, 0xBB, 0x00, 0x00, 0x50, 0xC3, 0x00, 0x00});
const QByteArray kSerialAnswer = Msg({0x02, 0x31, 0x30, 0x30, 0x31, 0x32, 0x33});

// The real form view against the simulated Receiver, noting each progress text and frame.
class ViewHandshakeTest : public ::testing::Test, public SimViewTest {
 protected:
  struct Text {
    int64_t at_ms;
    QString text;
  };

  void Sample() override {
    const QString text = view_->ProgressWindow().Text();
    if (texts_.empty() || texts_.back().text != text) texts_.push_back({clock_.Now(), text});
    while (link_ && frame_times_.size() < link_->written.size())
      frame_times_.push_back(clock_.Now());
  }

  std::vector<QString> TextsOnly() const {
    std::vector<QString> out;
    for (const Text& t : texts_) out.push_back(t.text);
    return out;
  }

  int64_t TimeOf(const QString& text) const {
    for (const Text& t : texts_) {
      if (t.text == text) return t.at_ms;
    }
    return -1;
  }

  bool Connected() { return view_->Connection().State().connected != 0; }

  std::vector<Text> texts_;
  std::vector<int64_t> frame_times_;
};

TEST_F(ViewHandshakeTest, CompleteHandshakeShowsTheTextsInOrderAndSetsTheDefaultSpectrum) {
  bool completed = false;
  QObject::connect(view_.get(), &CQuorvalinFormView::HandshakeCompleted, [&] { completed = true; });
  Connect();
  RunUntil(20000);

  EXPECT_THAT(TextsOnly(), ElementsAre(kAttempting, kTcpEstablished, kFirmwareObtained, kBandInfo,
                                       kSettingDefault, QString()));
  EXPECT_TRUE(completed);
  EXPECT_FALSE(view_->ProgressWindow().isVisible());

  // The three requests one second apart, then mode, spectrum and reference level.
  ASSERT_GE(link_->written.size(), 6u);
  EXPECT_EQ(link_->written[0], (qv::Bytes{0x11, 0x12, 0x01, 0x01, 0x11, 0x13}));
  EXPECT_EQ(link_->written[1], (qv::Bytes{0x11, 0x12, 0x08, 0x08, 0x11, 0x13}));
  EXPECT_EQ(link_->written[2], (qv::Bytes{0x11, 0x12, 0x02, 0x02, 0x11, 0x13}));
  EXPECT_EQ(frame_times_[1] - frame_times_[0], 1000);
  EXPECT_EQ(frame_times_[2] - frame_times_[1], 1000);
  EXPECT_EQ(link_->written[3], (qv::Bytes{0x11, 0x12, 0x03, 0x01, 0x02, 0x11, 0x13}));
  EXPECT_EQ(link_->written[4], (qv::Bytes{0x11, 0x12, 0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03,
                                          0x00, 0x00, 0x01, 0x00, 0x40, 0x06, 0x93, 0x11, 0x13}));
  EXPECT_EQ(link_->written[5], (qv::Bytes{0x11, 0x12, 0x07, 0xEC, 0xFF, 0x14, 0x11, 0x13}));
  // Nothing goes out before the window has said it sets the default spectrum.
  EXPECT_GE(frame_times_[3], TimeOf(kSettingDefault));

  // The answers reached the status panes and sweeps now arrive.
  EXPECT_EQ(view_->Display().Handler().FirmwareText(), "1.05");
  EXPECT_EQ(view_->Display().Handler().SerialText(), "100123");
  EXPECT_TRUE(Connected());
  EXPECT_TRUE(view_->Flags().connected);
  EXPECT_TRUE(view_->Flags().sweeps_arriving);
  EXPECT_FALSE(view_->Display().Handler().HandshakeTimer().IsActive());
}

TEST_F(ViewHandshakeTest, SilentReceiverTimesOutSixSecondsAfterTheLastRequest) {
  // What the toolbar and the interface pane were last told; they must not go on showing a
  // connection that the time-out closed.
  std::optional<bool> toolbar_connected;
  QString interface_pane;
  QObject::connect(view_.get(), &CQuorvalinFormView::ToolbarChanged,
                   [&] { toolbar_connected = view_->Flags().connected; });
  QObject::connect(view_.get(), &CQuorvalinFormView::StatusPaneTextChanged,
                   [&](int id, const QString& text) {
                     if (id == kPaneLogFile) interface_pane = text;
                   });
  sim::SimOptions options;
  options.silent = true;
  Connect(options);
  RunUntil(5000);
  ASSERT_TRUE(Connected());
  // As the sheet's opening of a link does.
  view_->UpdateStatusPanes();
  emit view_->ToolbarChanged();
  ASSERT_EQ(toolbar_connected, true);
  RunUntil(30000);

  ASSERT_EQ(frame_times_.size(), 3u);
  EXPECT_EQ(TimeOf(kCheckConnection) - frame_times_[2], 6000);
  EXPECT_EQ(texts_.back().text, kCheckConnection);
  EXPECT_EQ(link_->closes, 1);
  EXPECT_FALSE(Connected());
  EXPECT_EQ(toolbar_connected, false);
  EXPECT_EQ(interface_pane, QStringLiteral("Interface Type: Not Connected"));
  // The text stays up for five seconds, then the window goes.
  EXPECT_FALSE(view_->ProgressWindow().isVisible());
}

TEST_F(ViewHandshakeTest, AnswersInAnyOrderAreHandledInArrivalOrder) {
  sim::SimOptions options;
  options.silent = true;  // the answers come from the test, in its own order
  Connect(options);
  RunUntil(6100);
  view_->Display().OnReceiverMessage(kBandAnswer);
  RunUntil(6500);
  view_->Display().OnReceiverMessage(kFirmwareAnswer);
  RunUntil(7000);
  view_->Display().OnReceiverMessage(kSerialAnswer);
  RunUntil(25000);

  EXPECT_THAT(TextsOnly(), ElementsAre(kAttempting, kTcpEstablished, kBandInfo, kFirmwareObtained,
                                       kSettingDefault, QString()));
  ASSERT_EQ(link_->written.size(), 6u);  // three requests, mode, spectrum, reference level
  EXPECT_EQ(link_->written[3], (qv::Bytes{0x11, 0x12, 0x03, 0x01, 0x02, 0x11, 0x13}));
  EXPECT_TRUE(Connected());
  EXPECT_EQ(link_->closes, 0);
}

TEST_F(ViewHandshakeTest, LateAnswerAfterTheSerialNumberEndsInTheTimeOut) {
  sim::SimOptions options;
  options.silent = true;
  Connect(options);
  RunUntil(6100);
  view_->Display().OnReceiverMessage(kSerialAnswer);
  EXPECT_FALSE(view_->Display().Handler().HandshakeTimer().IsActive());
  RunUntil(7000);
  view_->Display().OnReceiverMessage(kFirmwareAnswer);  // starts the time-out again
  EXPECT_TRUE(view_->Display().Handler().HandshakeTimer().IsActive());

  RunUntil(12990);
  EXPECT_TRUE(Connected());
  RunUntil(13000);
  EXPECT_FALSE(Connected());
  EXPECT_EQ(link_->closes, 1);
  RunUntil(20000);
  // The time-out text follows the texts still showing.
  EXPECT_GE(TimeOf(kCheckConnection), 13000);
  EXPECT_EQ(TextsOnly().back(), kCheckConnection);
}

TEST_F(ViewHandshakeTest, LowBatteryInEverySweepEndsTheProgramAfterTheCountdown) {
  std::vector<std::string> events;
  int64_t first_sweep_ms = -1;
  int64_t quit_ms = -1;
  QObject::connect(&view_->Display(), &CDisplay::FlagsChanged, [&] {
    if (first_sweep_ms < 0 && view_->Display().SpectrumMode()) first_sweep_ms = clock_.Now();
  });
  QObject::connect(view_.get(), &CQuorvalinFormView::PreparingToQuit,
                   [&](int code) { events.push_back("prepare " + std::to_string(code)); });
  QObject::connect(view_.get(), &CQuorvalinFormView::QuitRequested, [&](int code) {
    events.push_back("quit " + std::to_string(code));
    quit_ms = clock_.Now();
  });
  sim::SimOptions options;
  options.low_battery = true;
  Connect(options);
  RunUntil(20000);
  ASSERT_GE(first_sweep_ms, 0);
  EXPECT_TRUE(events.empty());

  RunUntil(first_sweep_ms + 40000);
  // The log gets its chance to finish before the exit is asked for, and the exit comes once.
  EXPECT_THAT(events, ElementsAre("prepare 22", "quit 22"));
  EXPECT_GT(quit_ms - first_sweep_ms, 30000);
  EXPECT_LE(quit_ms - first_sweep_ms, 31000);
}

TEST_F(ViewHandshakeTest, LinkGoingAwayClosesItAndShowsNotConnected) {
  std::map<int, QString> panes;
  QObject::connect(view_.get(), &CQuorvalinFormView::StatusPaneTextChanged,
                   [&](int id, const QString& text) { panes[id] = text; });
  Connect();
  RunUntil(20000);
  ASSERT_TRUE(Connected());
  EXPECT_EQ(panes[kPaneFirmware], QStringLiteral("F/w Ver: 1.05"));

  emit view_->Connection().LinkLost();

  EXPECT_FALSE(Connected());
  EXPECT_FALSE(view_->Flags().connected);
  EXPECT_EQ(link_->closes, 1);
  EXPECT_EQ(panes[kPaneFirmware], QStringLiteral("F/w Ver: NA"));
  EXPECT_EQ(panes[kPaneSerial], QStringLiteral("Receiver Serial # NA"));
  EXPECT_EQ(panes[kPaneLogFile], QStringLiteral("Interface Type: Not Connected"));
}

// The countdown belongs to the connected Receiver: a link lost mid-countdown takes the warning
// and the countdown with it, flagged sweeps played without a link do not count, and the next
// Receiver reporting low battery counts from 30 again.
TEST_F(ViewHandshakeTest, LostLinkEndsTheLowBatteryCountdownAndTheNextReceiverStartsAfresh) {
  std::vector<int> quits;
  int64_t quit_ms = -1;
  QObject::connect(view_.get(), &CQuorvalinFormView::QuitRequested, [&](int code) {
    quits.push_back(code);
    quit_ms = clock_.Now();
  });
  int64_t first_sweep_ms = -1;
  QObject::connect(&view_->Display(), &CDisplay::FlagsChanged, [&] {
    if (first_sweep_ms < 0 && view_->Display().SpectrumMode()) first_sweep_ms = clock_.Now();
  });
  const TraceData& trace = view_->Display().Trace();
  const ReceiverMessageHandler& handler = view_->Display().Handler();

  sim::SimOptions options;
  options.low_battery = true;
  options.disconnect_after_sweeps = 40;
  Connect(options);
  int countdown_at_loss = -1;
  bool warning_at_loss = false;
  link_->Receiver().SetDisconnectHandler([&] {
    countdown_at_loss = handler.LowBatteryCountdown();
    warning_at_loss = trace.low_battery != 0;
    emit view_->Connection().LinkLost();
  });
  RunUntil(120000);
  ASSERT_TRUE(warning_at_loss);
  EXPECT_LT(countdown_at_loss, 30);
  EXPECT_GE(countdown_at_loss, 0);
  EXPECT_FALSE(Connected());
  EXPECT_EQ(trace.low_battery, 0);
  EXPECT_EQ(handler.LowBatteryCountdown(), 30);
  EXPECT_TRUE(quits.empty());

  view_->Display().Trace().low_battery = 1;  // as a played-back sweep would leave it
  RunFor(40000);
  EXPECT_EQ(handler.LowBatteryCountdown(), 30);
  EXPECT_TRUE(quits.empty());

  first_sweep_ms = -1;
  options.disconnect_after_sweeps = 0;
  Connect(options);
  RunFor(90000);
  ASSERT_GE(first_sweep_ms, 0);
  EXPECT_EQ(quits, (std::vector<int>{22}));
  EXPECT_GT(quit_ms - first_sweep_ms, 30000);
}

// A marker placed on the live spectrum is where it was once the link is lost and a new
// handshake sets the same spectrum again.
TEST_F(ViewHandshakeTest, MarkersStayAcrossAReconnectToTheSameSpectrum) {
  Connect();
  RunFor(20000);
  ASSERT_TRUE(view_->Display().SpectrumMode());
  MarkerRecord& marker = view_->Display().Trace().markers[0];
  marker.a_placed = 1;
  marker.a_x = 300;
  marker.a_point = 40;
  RunFor(1000);
  const float level = marker.a_level;
  emit view_->Connection().LinkLost();
  ASSERT_FALSE(Connected());
  Connect();
  RunFor(20000);
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(view_->Display().SpectrumMode());
  EXPECT_EQ(marker.a_placed, 1);
  EXPECT_EQ(marker.a_point, 40);
  EXPECT_EQ(marker.a_x, 300);
  EXPECT_NE(level, 0);
}

}  // namespace
}  // namespace qv
