#include "link/serial/serial_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/link/command.h"
#include "link/serial_test_support.h"

namespace qv {
namespace {

using test::Hex;
using test::PtyPair;
using test::WaitUntil;

// Short enough that a failing wait costs little, long enough for a loaded machine.
constexpr int kShortTimeoutMs = 300;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Valid());
    QObject::connect(&port_, &CMonitorSerialPort::MessageReceived,
                     [this](const QByteArray& message) { messages_.push_back(message); });
    ASSERT_TRUE(test::OpenAndWait(port_, pty_.SlavePath()));
  }

  // Writes the bytes, then a marker frame, and returns what arrived before the marker: the
  // marker proves the link has dealt with everything written before it.
  std::vector<QByteArray> Deliver(const QByteArray& bytes) {
    const QByteArray marker = Hex("7f");
    EXPECT_TRUE(pty_.Write(bytes + Hex("11127f1113")));
    EXPECT_TRUE(WaitUntil([&] { return !messages_.empty() && messages_.back() == marker; }));
    std::vector<QByteArray> before(messages_.begin(), messages_.end());
    if (!before.empty()) before.pop_back();
    messages_.clear();
    return before;
  }

  PtyPair pty_;
  CMonitorSerialPort port_{kShortTimeoutMs};
  std::vector<QByteArray> messages_;
};

TEST_F(SerialPortTest, SendWritesFramesWithCheckByte) {
  const Bytes reference_level = {0x07, 0xEC, 0xFF};
  ASSERT_TRUE(port_.Send(reference_level.data(), reference_level.size()));
  EXPECT_EQ(pty_.Read(8), Hex("111207ecff141113"));

  // The identity requests; a command byte 0x11 is escaped, and so is a check byte 0x11.
  for (const Bytes& command : {BuildRequestFirmware(), BuildRequestBands(), BuildRequestSerial(),
                               Bytes{0x09, 0x11, 0x09, 0x00, 0x00}}) {
    ASSERT_TRUE(port_.Send(command.data(), command.size()));
  }
  EXPECT_EQ(pty_.Read(30), Hex("111201011113"
                               "111208081113"
                               "111202021113"
                               "111209111409000011141113"));
}

TEST_F(SerialPortTest, MessageSplitAcrossReadsArrivesWhole) {
  // The first write ends in the middle of the second frame; the rest is written only after
  // the first frame came out, so the second frame spans two reads.
  ASSERT_TRUE(pty_.Write(Hex("111201312e30350011131112063132")));
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 1; }));
  EXPECT_EQ(messages_[0], Hex("01312e303500"));
  ASSERT_TRUE(pty_.Write(Hex("33341113")));
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 2; }));
  EXPECT_EQ(messages_[1], Hex("0631323334"));
}

TEST_F(SerialPortTest, ToleratesBrokenEscapes) {
  EXPECT_THAT(Deliver(Hex("1112021114331113")), testing::ElementsAre(Hex("021133")));
  // 11 followed by anything else keeps the 0x11 and drops the byte after it.
  EXPECT_THAT(Deliver(Hex("111211411113")), testing::ElementsAre(Hex("11")));
  EXPECT_THAT(Deliver(Hex("1112411115421113")), testing::ElementsAre(Hex("411142")));
  // A start inside a frame is the same kind of slip.
  EXPECT_THAT(Deliver(Hex("1112011112021113")), testing::ElementsAre(Hex("011102")));
  // Bytes between frames are noise.
  EXPECT_THAT(Deliver(Hex("00131114ff111201021113aa")), testing::ElementsAre(Hex("0102")));
}

TEST_F(SerialPortTest, EmptyFrameDeliversNothing) {
  EXPECT_TRUE(Deliver(Hex("11121113")).empty());
}

TEST_F(SerialPortTest, OverlongFrameIsDroppedAndTheNextOneArrives) {
  const QByteArray longest = Hex("06") + QByteArray(4095, '\x20');
  EXPECT_THAT(Deliver(Hex("1112") + longest + Hex("1113")), testing::ElementsAre(longest));

  QByteArray too_long = Hex("1112") + QByteArray(6000, '\x20') + Hex("1113");
  EXPECT_TRUE(Deliver(too_long + Hex("111202313233343536371113")).size() == 1);
  EXPECT_THAT(Deliver(too_long), testing::IsEmpty());
}

TEST_F(SerialPortTest, SendOnClosedPortFails) {
  port_.Close();
  EXPECT_FALSE(port_.IsOpen());
  const Bytes command = BuildRequestFirmware();
  EXPECT_FALSE(port_.Send(command.data(), command.size()));

  CSerialPort never_opened(kShortTimeoutMs);
  EXPECT_FALSE(never_opened.Send(command.data(), command.size()));
  never_opened.Close();
}

TEST_F(SerialPortTest, WriteTheDeviceDoesNotTakeFailsWithinTheBound) {
  // Nobody reads the master: once the line is full a write cannot complete.
  const Bytes command = BuildSetSpectrum({18048, 400, 1, 1600});
  bool failed = false;
  for (int i = 0; i < 100000 && !failed; ++i) failed = !port_.Send(command.data(), command.size());
  ASSERT_TRUE(failed);
  EXPECT_TRUE(port_.IsOpen());

  // Once the line drains the link is usable again.
  const Bytes firmware = BuildRequestFirmware();
  ASSERT_TRUE(WaitUntil([&] {
    pty_.ReadAvailable();
    return port_.Send(firmware.data(), firmware.size());
  }));
}

TEST_F(SerialPortTest, DeviceGoneMidStreamIsReportedAndHarmsNothing) {
  QSignalSpy lost(&port_, &CSerialPort::DeviceLost);
  ASSERT_TRUE(pty_.Write(Hex("1112063132331113111206")));  // one whole frame, one begun
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 1; }));
  pty_.CloseMaster();
  ASSERT_TRUE(lost.wait(5000));
  EXPECT_EQ(lost.count(), 1);
  EXPECT_FALSE(port_.IsOpen());
  const Bytes command = BuildRequestFirmware();
  EXPECT_FALSE(port_.Send(command.data(), command.size()));
  port_.Close();
  port_.Close();
  EXPECT_EQ(messages_.size(), 1u);

  // The same object connects again to a new device.
  PtyPair again;
  ASSERT_TRUE(again.Valid());
  ASSERT_TRUE(test::OpenAndWait(port_, again.SlavePath()));
  ASSERT_TRUE(again.Write(Hex("11120201021113")));
  ASSERT_TRUE(WaitUntil([&] { return messages_.size() == 2; }));
  EXPECT_EQ(messages_[1], Hex("020102"));
  EXPECT_EQ(lost.count(), 1);
}

// Counts messages as the worker hands them over, before they reach the GUI thread.
class CountingPort : public CMonitorSerialPort {
 public:
  using CMonitorSerialPort::CMonitorSerialPort;
  ~CountingPort() override { StopWorker(); }
  std::atomic<int> seen{0};

 protected:
  void OnMessage(const uint8_t* data, size_t length) override {
    CMonitorSerialPort::OnMessage(data, length);
    ++seen;
  }
};

TEST(SerialPortCloseTest, MessagesInFlightAtCloseAreNotDelivered) {
  PtyPair pty;
  ASSERT_TRUE(pty.Valid());
  CountingPort port(kShortTimeoutMs);
  int delivered = 0;
  QObject::connect(&port, &CMonitorSerialPort::MessageReceived, [&] { ++delivered; });
  ASSERT_TRUE(test::OpenAndWait(port, pty.SlavePath()));
  ASSERT_TRUE(pty.Write(Hex("11120201021113111206010203041113")));
  // Without running the event loop, so both messages stay queued for the GUI thread.
  const QDeadlineTimer deadline(5000);
  while (port.seen.load() < 2 && !deadline.hasExpired()) std::this_thread::yield();
  ASSERT_EQ(port.seen.load(), 2);
  port.Close();
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, 0);
}

TEST(SerialPortOpenTest, OpenAnswersLaterAndOnlyForTheLatestAttempt) {
  PtyPair pty;
  ASSERT_TRUE(pty.Valid());
  CMonitorSerialPort port(kShortTimeoutMs);
  std::vector<std::string> answers;
  // The worker opens; the caller's thread goes on and hears the outcome through its event loop.
  port.Open(QStringLiteral("/dev/quorvalin-no-such-tty"),
            [&](bool opened) { answers.push_back(opened ? "missing opened" : "missing failed"); });
  EXPECT_TRUE(answers.empty());
  ASSERT_TRUE(WaitUntil([&] { return answers.size() == 1; }));
  EXPECT_FALSE(port.IsOpen());

  // An attempt overtaken by a close, or by another open, is never answered.
  port.Open(pty.SlavePath(), [&](bool) { answers.push_back("closed before its answer"); });
  port.Close();
  port.Open(pty.SlavePath(), [&](bool) { answers.push_back("overtaken"); });
  port.Open(pty.SlavePath(), [&](bool opened) { answers.push_back(opened ? "opened" : "failed"); });
  // Answers come back in the order of the attempts, so the older ones are settled by now.
  ASSERT_TRUE(WaitUntil([&] { return answers.size() == 2; }));
  EXPECT_THAT(answers, testing::ElementsAre("missing failed", "opened"));
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  CSerialPort untouched(kShortTimeoutMs);
  untouched.Close();
}

}  // namespace
}  // namespace qv
