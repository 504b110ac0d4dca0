#include <gtest/gtest.h>

#include <QAction>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "core/app/manual_clock.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/display/display.h"
#include "gui/link/connection_sheet.h"
#include "gui/link/link_lost_bar.h"
#include "link/net_test_support.h"
#include "sim/transport/pty_transport.h"
#include "sim/transport/tcp_server.h"
#include "support/fake_serial_monitor.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using State = Reconnector::State;

// The whole program's frame in virtual time, with the simulated Receiver going away and coming
// back on real sockets and pseudo-terminals.
class ReconnectEndToEndTest : public ::testing::Test {
 protected:
  ReconnectEndToEndTest() {
    QObject::connect(&View(), &CQuorvalinFormView::HandshakeCompleted, [this] { ++handshakes_; });
    View().SetDeviceMonitor(&monitor_);
  }

  CQuorvalinFormView& View() { return frame_->View(); }
  CConnectionEx& Connection() { return View().Connection(); }
  State ReconnectState() { return Connection().Reconnect().GetState(); }

  bool RunUntil(const std::function<bool()>& done) {
    return test::RunWithClock(clock_, done, 5000);
  }
  bool Reconnected(int handshakes) {
    return RunUntil([&] {
      return handshakes_ == handshakes && ReconnectState() == State::kIdle &&
             View().Display().SpectrumMode();
    });
  }

  QTemporaryDir dir_;
  QString settings_path_ = dir_.filePath(QStringLiteral("settings.ini"));
  AppSettings settings_{settings_path_};
  ManualClock clock_;
  RecordingAlerts alerts_;
  std::unique_ptr<CMainFrame> frame_ =
      std::make_unique<CMainFrame>(clock_, alerts_, false, settings_);
  FakeSerialMonitor monitor_;
  int handshakes_ = 0;
};

// Over TCP: the Receiver stops, the bar and the status bar say so and "Reconnect" brings it
// back; with the option on (remembered) the program retries by itself until it is back.
TEST_F(ReconnectEndToEndTest, NetworkReceiverStoppedAndStartedAgain) {
  const QHostAddress address = test::RandomLoopbackAddress();
  auto server = std::make_unique<sim::TcpServer>(sim::SimOptions{});
  QString error;
  ASSERT_TRUE(server->Listen(address, 0, &error)) << error.toStdString();
  const quint16 port = server->Port();
  Connection().ConnectTcp(address.toString(), port);
  ASSERT_TRUE(Reconnected(1));
  CLinkLostBar* bar = frame_->LinkLostBar();
  EXPECT_TRUE(bar->isHidden());

  server.reset();
  ASSERT_TRUE(RunUntil([&] { return ReconnectState() == State::kLost; }));
  EXPECT_FALSE(View().Flags().connected);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(frame_->statusBar()->currentMessage(), bar->Text());
  EXPECT_TRUE(bar->Text().contains(address.toString() + " port " + QString::number(port)))
      << bar->Text().toStdString();

  server = std::make_unique<sim::TcpServer>(sim::SimOptions{});
  ASSERT_TRUE(server->Listen(address, port, &error)) << error.toStdString();
  bar->ReconnectAction()->trigger();
  ASSERT_TRUE(Reconnected(2));
  EXPECT_TRUE(bar->isHidden());
  EXPECT_TRUE(frame_->statusBar()->currentMessage().isEmpty());

  bar->AutomaticAction()->setChecked(true);
  EXPECT_TRUE(AppSettings(settings_path_).Store().value("Reconnect Automatically").toBool());
  server.reset();
  ASSERT_TRUE(RunUntil([&] { return Connection().Reconnect().RetryDelayMs() >= 4000; }));
  EXPECT_TRUE(bar->Text().contains("Trying again in")) << bar->Text().toStdString();
  server = std::make_unique<sim::TcpServer>(sim::SimOptions{});
  ASSERT_TRUE(server->Listen(address, port, &error)) << error.toStdString();
  ASSERT_TRUE(Reconnected(3));
  EXPECT_TRUE(bar->isHidden());
}

// Over a pseudo-terminal reached through a link of its own name: with the option on, the
// program waits for that device and reopens it when it comes back, not for another one.
TEST_F(ReconnectEndToEndTest, SerialDeviceUnpluggedAndPluggedInAgain) {
  Connection().SetReconnectAutomatically(true);
  const QString link = dir_.filePath(QStringLiteral("ttyCF"));
  auto start = [&] {
    sim::SimOptions options;
    options.bytes_per_second = 2'000'000;
    auto pty = std::make_unique<sim::PtyTransport>(options);
    QString error;
    EXPECT_TRUE(pty->Open(&error) && pty->CreateLink(link, &error)) << error.toStdString();
    return pty;
  };
  auto pty = start();
  Connection().ConnectSerial(link);
  ASSERT_TRUE(Reconnected(1));

  pty.reset();
  ASSERT_TRUE(RunUntil([&] { return ReconnectState() == State::kWaitingForDevice; }));
  EXPECT_FALSE(View().Flags().connected);
  monitor_.Arrive(QStringLiteral("/dev/ttyUSB7"));  // someone else's adapter
  clock_.Advance(60000);
  EXPECT_EQ(ReconnectState(), State::kWaitingForDevice);

  pty = start();  // a new device node; the link points at it
  monitor_.Arrive(pty->SlavePath());
  ASSERT_TRUE(Reconnected(2));
  for (const RecordingAlerts::Shown& alert : alerts_.shown) {
    EXPECT_EQ(alert.caption, "CF Card Insertion Alert !") << alert.text;  // no failed open
  }
}

}  // namespace
}  // namespace qv
