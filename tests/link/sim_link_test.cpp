#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <vector>

#include "core/link/command.h"
#include "core/link/sweep_message.h"
#include "link/app/qt_timer.h"
#include "link/net_test_support.h"
#include "link/sim_test_support.h"
#include "link/network/client_socket.h"
#include "sim/transport/tcp_server.h"

namespace qv {
namespace {

using test::MessageType;
using test::SweepHeaderOf;
using test::WaitUntil;

// The network link against the simulated Receiver on a loopback address of its own.
class SimLinkTest : public ::testing::Test {
 protected:
  void Start(sim::SimOptions options) {
    options.bytes_per_second = 4'000'000;  // no need to wait for a serial line's pace
    server_ = std::make_unique<sim::TcpServer>(options);
    QString error;
    ASSERT_TRUE(server_->Listen(test::RandomLoopbackAddress(), 0, &error)) << error.toStdString();
    QObject::connect(&socket_, &CClientSocket::MessageReceived,
                     [this](const QByteArray& message) { messages_.push_back(message); });
    QSignalSpy connected(&socket_, &CClientSocket::Connected);
    socket_.ConnectToHost(server_->Address().toString(), server_->Port());
    ASSERT_TRUE(connected.wait(5000));
  }

  bool Send(const Bytes& command) { return socket_.Send(command.data(), command.size()); }

  QtTimerFactory timers_;
  std::unique_ptr<sim::TcpServer> server_;
  CClientSocket socket_{timers_};
  std::vector<QByteArray> messages_;
};

TEST_F(SimLinkTest, IdentityRequestsAreAnswered) {
  Start({});
  ASSERT_TRUE(Send(BuildRequestFirmware()));
  ASSERT_TRUE(Send(BuildRequestBands()));
  ASSERT_TRUE(Send(BuildRequestSerial()));
  // Answers only come to frames whose check byte the Receiver accepted.
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() >= 3; }));
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(MessageType(messages_[0]), kMsgFirmware);
  EXPECT_EQ(messages_[0].size(), 6);  // "1.05" and one trailing byte
  EXPECT_EQ(messages_[0].mid(1, 4), QByteArray("1.05"));
  EXPECT_EQ(MessageType(messages_[1]), kMsgBandList);
  EXPECT_EQ(messages_[1].size(), 2 + 8 * static_cast<uint8_t>(messages_[1][1]));
  EXPECT_EQ(MessageType(messages_[2]), kMsgSerialNumber);
  EXPECT_EQ(messages_[2].size(), 7);
}

TEST_F(SimLinkTest, SweepBlocksArriveWholeAndAddUpToTheSpan) {
  sim::SimOptions options;
  options.block_size = 150;  // several blocks per sweep, each many reads long
  Start(options);
  ASSERT_TRUE(Send(BuildSetMode(kSpectrumMode)));
  ASSERT_TRUE(Send(BuildSetSpectrum({18048, 400, 1, 1600})));
  ASSERT_TRUE(test::WaitForSweepPoints(messages_, 800));
  for (const QByteArray& message : messages_) {
    ASSERT_EQ(MessageType(message), kMsgSweep);
    const std::optional<SweepHeader> header = SweepHeaderOf(message);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->start, 18048u);
    EXPECT_EQ(header->points, 400u);
    EXPECT_EQ(header->rbw_code, 1600);
    EXPECT_LE(header->block_count, 150);
    EXPECT_EQ(static_cast<size_t>(message.size()), kSweepLevelsOffset + 2u * header->block_count);
  }
}

TEST_F(SimLinkTest, ReceiverDroppingMidFrameLeavesLinkClosed) {
  sim::SimOptions options;
  options.disconnect_after_sweeps = 2;
  options.disconnect_mid_frame = true;
  Start(options);
  QSignalSpy disconnected(&socket_, &CClientSocket::Disconnected);
  ASSERT_TRUE(Send(BuildSetMode(kSpectrumMode)));
  ASSERT_TRUE(Send(BuildSetSpectrum({18048, 200, 1, 1600})));
  ASSERT_TRUE(WaitUntil([&] { return disconnected.count() == 1; }));
  EXPECT_FALSE(socket_.IsConnected());
  EXPECT_FALSE(Send(BuildRequestFirmware()));
  // Everything delivered before the drop is whole; the half frame never shows up.
  ASSERT_FALSE(messages_.empty());
  for (const QByteArray& message : messages_) {
    const std::optional<SweepHeader> header = SweepHeaderOf(message);
    ASSERT_TRUE(header);
    EXPECT_EQ(static_cast<size_t>(message.size()), kSweepLevelsOffset + 2u * header->block_count);
  }
}

}  // namespace
}  // namespace qv
