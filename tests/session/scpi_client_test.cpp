#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"
#include "link/net_test_support.h"
#include "recorder/recorder.h"
#include "sim/transport/tcp_server.h"

namespace qv {
namespace {

// Where one answer line ends, stepping over definite-length blocks that may hold LF bytes.
std::optional<size_t> AnswerEnd(const std::string& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes[at] == '#' && (at == 0 || bytes[at - 1] == ';')) {
      if (at + 2 > bytes.size()) return std::nullopt;
      const int digits = bytes[at + 1] - '0';
      if (at + 2 + digits > bytes.size()) return std::nullopt;
      at += 2 + digits + std::stoul(bytes.substr(at + 2, digits));
      continue;
    }
    if (bytes[at] == '\n') return at;
    ++at;
  }
  return std::nullopt;
}

std::vector<double> AsciiList(const std::string& text) {
  std::vector<double> values;
  std::stringstream stream(text);
  for (std::string item; std::getline(stream, item, ',');) values.push_back(std::stod(item));
  return values;
}

// A big-endian float32 block: '#', the digit count, the length, the bytes, and nothing after.
std::vector<double> FloatBlock(const std::string& text) {
  EXPECT_EQ(text.at(0), '#');
  const int digits = text.at(1) - '0';
  const size_t length = std::stoul(text.substr(2, digits));
  EXPECT_EQ(text.size(), 2 + digits + length);
  EXPECT_EQ(length % 4, 0u);
  std::vector<double> values;
  for (size_t at = 2 + digits; at + 4 <= text.size(); at += 4) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | static_cast<uint8_t>(text[at + i]);
    values.push_back(std::bit_cast<float>(bits));
  }
  return values;
}

// Counts the session's whole sweeps, told before any remote client hears of them.
struct SweepCounter : SessionObserver {
  void WholeSweep(const TraceData&) override { ++sweeps; }
  int sweeps = 0;
};

// The recorder with remote control, on virtual time, against the simulated Receiver; a real TCP
// client on a loopback address of its own.
class ScpiClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    address_ = test::RandomLoopbackAddress();
    sim::SimOptions sim;
    sim.bytes_per_second = 200'000;
    server_ = std::make_unique<sim::TcpServer>(sim);
    QString error;
    ASSERT_TRUE(server_->Listen(address_, 0, &error)) << error.toStdString();
    RecorderOptions options;
    options.connect.interface_index = kInternetInterface;
    options.connect.address = address_.toString().toStdString();
    options.connect.port = server_->Port();
    options.log_dir = dir_.path().toStdString() + "/logs";
    options.scpi = ListenAddress{options.connect.address, 0};
    options.scpi_dir = dir_.path().toStdString();
    recorder_ = std::make_unique<CRecorder>(clock_, options, "9.9.9", [](const std::string&) {});
    recorder_->Session().AddObserver(&counter_);
    std::string why;
    ASSERT_TRUE(recorder_->Start(&why)) << why;
    socket_.connectToHost(address_, recorder_->Remote()->Port());
    ASSERT_TRUE(test::WaitUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; }));
  }
  void TearDown() override {
    if (recorder_) recorder_->Session().RemoveObserver(&counter_);
  }

  bool RunUntil(const std::function<bool()>& done, int steps = 3000) {
    return test::RunWithClock(clock_, done, steps);
  }
  void Send(const std::string& line) { socket_.write((line + "\n").c_str()); }
  // The next answer line, without its LF; empty when none comes.
  std::string Next() {
    std::optional<size_t> end;
    RunUntil([&] {
      received_ += socket_.readAll().toStdString();
      return (end = AnswerEnd(received_)).has_value();
    });
    if (!end) return {};
    std::string line = received_.substr(0, *end);
    received_.erase(0, *end + 1);
    return line;
  }
  std::string Ask(const std::string& line) {
    Send(line);
    return Next();
  }

  QTemporaryDir dir_;
  QHostAddress address_;
  ManualClock clock_;
  std::unique_ptr<sim::TcpServer> server_;
  std::unique_ptr<CRecorder> recorder_;
  SweepCounter counter_;
  QTcpSocket socket_;
  std::string received_;
};

TEST_F(ScpiClientTest, SettingsSweepsTracesMarkersAndErrorsOverOneConnection) {
  ASSERT_TRUE(RunUntil([&] { return counter_.sweeps >= 1; }));
  EXPECT_EQ(Ask("*IDN?"), "Quorvalin,Receiver,100123,1.05/9.9.9");

  // Settings read back in whole Hz; a frequency outside every band is refused and nothing sent.
  Send("FREQ:STAR 2410MHZ;STOP 2440MHZ");
  EXPECT_EQ(Ask("FREQ:STAR?;STOP?;:SENS:FREQ:SPAN?"), "2410000000;2440000000;30000000");
  EXPECT_EQ(Ask("FREQ:STAR 3GHZ;:SYST:ERR?"), "-222,\"Data out of range;Outside a single band of the Receiver\"");
  // Reads follow the sweep shown, once the Receiver sweeps the new setting.
  const int sent_at = counter_.sweeps;
  RunUntil([&] { return counter_.sweeps >= sent_at + 3; });
  EXPECT_EQ(Ask("FREQ:CENT?;:SWE:POIN?"), "2425000000;600");

  // A single sweep: *OPC? answers only once a whole sweep begun after INIT is in, and the
  // kept sweep then holds still for every read.
  EXPECT_EQ(Ask("INIT:CONT OFF;CONT?"), "0");
  const int sweeps_before = counter_.sweeps;
  EXPECT_EQ(Ask("INIT;*OPC?"), "1");
  EXPECT_GE(counter_.sweeps, sweeps_before + 1);
  const std::vector<double> frequencies = AsciiList(Ask("FREQ:DATA?"));
  ASSERT_FALSE(frequencies.empty());
  EXPECT_EQ(Ask("SWE:POIN?"), std::to_string(frequencies.size()));
  RunUntil([&] { return counter_.sweeps >= sweeps_before + 4; });

  const std::vector<double> ascii = AsciiList(Ask("TRAC? TRACE1"));
  ASSERT_EQ(ascii.size(), frequencies.size());
  EXPECT_EQ(FloatBlock(Ask("FORM REAL,32;:TRAC? TRACE1")), ascii);
  EXPECT_EQ(Ask("FORM?;:FORM ASC;:FORM?"), "REAL,32;ASC,0");

  EXPECT_EQ(std::stod(Ask("CALC:MARK1:MAX;:CALC:MARK1:Y?")), *std::max_element(ascii.begin(), ascii.end()));
  const std::string marker_hz = Ask("CALC:MARK1:X?");
  const size_t peak = std::max_element(ascii.begin(), ascii.end()) - ascii.begin();
  EXPECT_EQ(std::stod(marker_hz), frequencies[peak]);
  EXPECT_EQ(Ask("CALC:MARK2:Y?;:SYST:ERR?"), "-221,\"Settings conflict;Marker off\"");
  EXPECT_EQ(Ask("TRAC? MAXH;:SYST:ERR?"), "-221,\"Settings conflict;Trace not running\"");

  // Files stay inside the remote folder; the recorder's own log is not the remote's to start.
  EXPECT_EQ(Ask("MMEM:LOAD:LIM1 '../x';:SYST:ERR?").substr(0, 5), "-250,");
  EXPECT_EQ(Ask("MMEM:LOAD:LIM2 'absent.csv';:SYST:ERR?").substr(0, 5), "-256,");
  EXPECT_EQ(Ask("MMEM:STOR:LOG 'a.log';:SYST:ERR?"), "-221,\"Settings conflict;The recorder logs by itself\"");

  // An unknown header is a command error: bit 5 of the event register, read once.
  EXPECT_EQ(Ask("*ESR?"), "16");
  Send("*XYZ");
  EXPECT_EQ(Ask("SYST:ERR?;*ESR?;*ESR?"), "-113,\"Undefined header;*XYZ\";32;0");
}

}  // namespace
}  // namespace qv
