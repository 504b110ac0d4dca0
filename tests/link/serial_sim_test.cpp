#include <gtest/gtest.h>

#include <QSignalSpy>
#include <memory>
#include <optional>
#include <vector>

#include "core/link/command.h"
#include "core/link/sweep_message.h"
#include "link/serial/serial_port.h"
#include "link/serial_test_support.h"
#include "link/sim_test_support.h"
#include "sim/transport/pty_transport.h"

namespace qv {
namespace {

using test::MessageType;
using test::SweepHeaderOf;
using test::WaitUntil;

// The serial link against the simulated Receiver behind a pseudo-terminal, in-process.
class SerialSimTest : public ::testing::Test {
 protected:
  void Start(sim::SimOptions options) {
    options.bytes_per_second = 2'000'000;  // no need to wait for the real line rate
    transport_ = std::make_unique<sim::PtyTransport>(options);
    QString error;
    ASSERT_TRUE(transport_->Open(&error)) << error.toStdString();
    QObject::connect(&port_, &CMonitorSerialPort::MessageReceived,
                     [this](const QByteArray& message) { messages_.push_back(message); });
    ASSERT_TRUE(test::OpenAndWait(port_, transport_->SlavePath()));
  }

  bool Send(const Bytes& command) { return port_.Send(command.data(), command.size()); }

  std::unique_ptr<sim::PtyTransport> transport_;
  CMonitorSerialPort port_{1000};
  std::vector<QByteArray> messages_;
};

TEST_F(SerialSimTest, IdentityRequestsAreAcceptedAndAnswered) {
  Start({});
  ASSERT_TRUE(Send(BuildRequestFirmware()));
  ASSERT_TRUE(Send(BuildRequestBands()));
  ASSERT_TRUE(Send(BuildRequestSerial()));
  // The simulated Receiver answers only frames whose check byte is right.
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() >= 3; }));
  EXPECT_EQ(transport_->Receiver()->CommandsAccepted(), 3u);
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(MessageType(messages_[0]), kMsgFirmware);
  EXPECT_EQ(messages_[0].mid(1, 4), QByteArray("1.05"));
  EXPECT_EQ(MessageType(messages_[1]), kMsgBandList);
  EXPECT_EQ(messages_[1].size(), 2 + 8 * static_cast<uint8_t>(messages_[1][1]));
  EXPECT_EQ(MessageType(messages_[2]), kMsgSerialNumber);
  EXPECT_EQ(messages_[2].mid(1, 6), QByteArray("100123"));
}

TEST_F(SerialSimTest, SweepsFollowModeAndSpectrum) {
  sim::SimOptions options;
  options.block_size = 150;  // several blocks per sweep, most longer than one read
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
    EXPECT_EQ(static_cast<size_t>(message.size()), kSweepLevelsOffset + 2u * header->block_count);
  }
}

TEST_F(SerialSimTest, NoisyLineStillDeliversWholeSweeps) {
  sim::SimOptions options;
  options.garbage = true;
  Start(options);
  ASSERT_TRUE(Send(BuildSetMode(kSpectrumMode)));
  ASSERT_TRUE(Send(BuildSetSpectrum({18048, 400, 1, 1600})));
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() >= 10; }));
  port_.Close();
  EXPECT_FALSE(Send(BuildRequestFirmware()));
  for (const QByteArray& message : messages_) EXPECT_EQ(MessageType(message), kMsgSweep);
}

}  // namespace
}  // namespace qv
