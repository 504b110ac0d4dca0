#include "core/app/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/app/receiver_state.h"

namespace qv {
namespace {

using ::testing::HasSubstr;
using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "quorvalin");
  return ParseCommandLine(arguments);
}

TEST(CommandLineTest, EachMistakeIsAnErrorNamingWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
      {{"--bogus-option"}, "unknown option '--bogus-option'"},
      {{"-demo"}, "unknown option '-demo'"},
      {{"--connect"}, "--connect needs a value (URI)"},
      // The next option is a forgotten value, not a file called "--demo".
      {{"--record", "--demo"}, "--record needs a value (FILE)"},
      {{"--quit-after", "abc"}, "--quit-after needs a number of seconds, not 'abc'"},
      {{"--quit-after", "-1"}, "not '-1'"},
      {{"--quit-after", "5s"}, "not '5s'"},
      {{"--quit-after", "inf"}, "not 'inf'"},
      {{"--quit-after", "1e9"}, "not '1e9'"},
      {{"--capture-every", "0"}, "--capture-every needs a number of seconds above 0"},
      {{"--connect", "ftp://host"}, "--connect cannot use 'ftp://host'"},
      {{"--connect", "tcp://host:99999"}, "'tcp://host:99999'"},
      {{"--connect", "tcp://:10001"}, "'tcp://:10001'"},
      {{"--connect", "serial:"}, "'serial:'"},
      {{"--print-colors", "grey"}, "--print-colors takes true, econo or bw, not 'grey'"},
      {{"--open", "waterfall"}, "--open takes spectrogram or histogram, not 'waterfall'"},
      {{"--snapshot="}, "--snapshot needs a file name"},
      {{"--demo=yes"}, "--demo takes no value"},
      {{"-platform"}, "-platform needs a value"},
      {{"--platform=offscreen"}, "unknown option '--platform=offscreen'"},
      {{"capture.icf"}, "unexpected argument 'capture.icf'"},
      {{"--replay", "a.zn", "--replay-from", "3:12"}, "--replay-from takes +HH:MM:SS"},
      {{"--replay", "a.zn", "--replay-speed", "2"},
       "--replay-speed takes 1, 4, 16, 64, 256 or max"},
      {{"--replay-from", "+03:12:00"}, "--replay-from needs --replay FILE"},
  };
  for (const auto& [arguments, message] : mistakes) {
    const CommandLine line = Parse(arguments);
    EXPECT_EQ(line.action, Action::kError) << arguments.front();
    EXPECT_THAT(line.error, HasSubstr(message)) << arguments.front();
  }
}

TEST(CommandLineTest, AScriptedRunWithQtOptionsBetweenOurs) {
  const CommandLine line =
      Parse({"-platform", "offscreen", "--connect", "tcp://127.0.0.5:10002", "--quit-after=2.5",
             "--style=fusion", "--snapshot", "a.png", "--open", "histogram", "--open=spectrogram",
             "-reverse", "--print-colors", "econo", "--capture-every", "0.5", "--verbose"});
  ASSERT_EQ(line.action, Action::kRun) << line.error;
  const StartOptions& options = line.options;
  EXPECT_EQ(options.connect, (RememberedLink{kInternetInterface, "127.0.0.5", 10002}));
  EXPECT_EQ(options.quit_after, 2.5);
  EXPECT_EQ(options.capture_every, 0.5);
  EXPECT_EQ(options.snapshot, "a.png");
  EXPECT_EQ(options.print_colour, 2);
  EXPECT_EQ(options.open_windows,
            (std::vector<StartWindow>{StartWindow::kHistogram, StartWindow::kSpectrogram}));
  EXPECT_TRUE(options.verbose);
  EXPECT_FALSE(options.demo);
  EXPECT_TRUE(options.Scripted());

  EXPECT_FALSE(Parse({"--demo", "--record", "x.kzq"}).options.Scripted());
  EXPECT_TRUE(Parse({"--export-traces", "t.csv"}).options.Scripted());
  const StartOptions replay =
      Parse({"--replay-speed=max", "--replay-from", "2026-12-07 03:12:00", "--replay", "n.zn"})
          .options;
  EXPECT_EQ(replay.replay_speed, ReplaySpeed::kMax);
  EXPECT_EQ(replay.replay_from, ParseLogTime("2026-12-07 03:12:00"));
  // Help wins whatever else is asked for; --version alone answers with the version.
  EXPECT_EQ(Parse({"--version", "-h", "--demo"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--help", "--help-all"}).action, Action::kHelpAll);
  EXPECT_EQ(Parse({"-v"}).action, Action::kVersion);
}

TEST(CommandLineTest, ConnectUris) {
  EXPECT_EQ(ParseConnectUri("tcp://receiver.local"),
            (RememberedLink{kInternetInterface, "receiver.local", 10001}));
  EXPECT_EQ(ParseConnectUri("tcp://[::1]:4000/"),
            (RememberedLink{kInternetInterface, "::1", 4000}));
  EXPECT_EQ(ParseConnectUri("serial:/dev/ttyUSB0"),
            (RememberedLink{kSerialInterface, "/dev/ttyUSB0", 10001}));
  EXPECT_EQ(ParseConnectUri("usb:A1B2C3"), (RememberedLink{kUsbInterface, "A1B2C3", 10001}));
  for (const char* bad : {"tcp://", "tcp://host:", "tcp://host:0", "tcp://[::1", "tcp://[::1]x",
                          "tcp://a:b:c", "usb:", "host:10001"}) {
    EXPECT_EQ(ParseConnectUri(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace qv
