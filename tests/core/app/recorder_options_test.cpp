#include "core/app/recorder_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "core/app/receiver_state.h"
#include "core/record/log_test_files.h"

namespace qv {
namespace {

using ::testing::HasSubstr;
using Action = RecorderCommandLine::Action;

RecorderCommandLine Parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "quorvalin-recorder");
  return ParseRecorderCommandLine(arguments);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteWholeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(RecorderOptionsTest, AConfigFileOverridesWhatComesBeforeItAndYieldsToWhatFollows) {
  const TempDir dir;
  const std::string config = dir.File("rec.conf");
  WriteText(config,
            "\xEF\xBB\xBF# the lab's recorder\r\n"
            "connect = tcp://[fe80::1]:10002\r\n"
            "\n"
            "  log-dir =  /var/lib/quorvalin/logs  \n"
            "rotate=1h\n"
            "keep = 2G\n"
            "threshold = -90\n"
            "metrics = *:9101\n"
            "scpi = 5025\n"
            "scpi-dir = /tmp/a\n"
            "plan = wifi24\n"
            "verbose = yes\n"
            "channel-span = 5m\n"
            "start = 2400\n"
            "stop = 2483.5");  // no newline at the end
  const RecorderCommandLine line = Parse(
      {"--threshold", "-70", "--rotate=500M", "--limit", "up.csv", "--config", config,
       "--threshold=-80", "--keep", "2w", "--metrics", "[::1]:0", "--limit-events", "ev.csv", "--scpi-dir", "files"});
  ASSERT_EQ(line.action, Action::kRun) << line.error;
  const RecorderOptions& options = line.options;
  EXPECT_EQ(options.connect, (RememberedLink{kInternetInterface, "fe80::1", 10002}));
  EXPECT_EQ(options.log_dir, "/var/lib/quorvalin/logs");
  EXPECT_EQ(options.rotate, (FileLimit{3600, 0}));      // the file's, over --rotate=500M
  EXPECT_EQ(options.keep, (FileLimit{14 * 86400, 0}));  // --keep, over the file's 2G
  EXPECT_EQ(options.threshold_dbm, -80);                // the last of three
  EXPECT_EQ(options.metrics, (ListenAddress{"::1", 0}));
  EXPECT_EQ(options.scpi, (ListenAddress{"127.0.0.1", 5025}));
  EXPECT_EQ(options.scpi_dir, "files");
  EXPECT_EQ(options.plan, "wifi24");
  EXPECT_EQ(options.channel_span_ms, 300000);
  EXPECT_EQ(options.start_mhz, 2400.0);
  EXPECT_EQ(options.stop_mhz, 2483.5);
  EXPECT_EQ(options.limit, "up.csv");  // before the file, which leaves it alone
  EXPECT_EQ(options.limit_events, "ev.csv");
  EXPECT_TRUE(options.limit_lower.empty());
  EXPECT_TRUE(options.verbose);

  // A later file line may switch verbose off again; the defaults stand when nothing is said.
  WriteText(config, "connect = usb:TLV123\nlog-dir = logs\nverbose = 0\n");
  const RecorderCommandLine quiet = Parse({"--verbose", "--config=" + config});
  ASSERT_EQ(quiet.action, Action::kRun) << quiet.error;
  EXPECT_FALSE(quiet.options.verbose);
  EXPECT_EQ(quiet.options.connect, (RememberedLink{kUsbInterface, "TLV123", 10001}));
  EXPECT_TRUE(quiet.options.rotate.None());
  EXPECT_TRUE(quiet.options.keep.None());
  EXPECT_FALSE(quiet.options.metrics);
  EXPECT_FALSE(quiet.options.scpi);
  EXPECT_TRUE(quiet.options.scpi_dir.empty());
  EXPECT_FALSE(quiet.options.start_mhz);
  EXPECT_EQ(quiet.options.threshold_dbm, -85);
  EXPECT_EQ(quiet.options.channel_span_ms, 60000);
}

TEST(RecorderOptionsTest, EachMistakeIsOneLineNamingTheOptionOrTheFileAndLine) {
  const TempDir dir;
  const std::string config = dir.File("bad.conf");
  WriteText(config, "connect = serial:/dev/ttyUSB0\n# fine so far\nlogdir = /tmp\n");
  const std::string nested = dir.File("nested.conf");
  WriteText(nested, "config = other.conf\n");
  const std::string no_equals = dir.File("no_equals.conf");
  WriteText(no_equals, "\n\nverbose\n");
  const std::string big = dir.File("big.conf");
  WriteText(big, std::string(65 * 1024, '#'));
  const std::vector<std::string> base = {"--connect", "usb:X", "--log-dir", "logs"};

  const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
      {{"--rotate", "3600"},
       "--rotate takes a duration (90s, 30m, 1h, 2d, 1w) or a size (64K, 500M, 2G), not '3600'"},
      {{"--rotate=5s"},
       "--rotate needs at least 10s or 64K (a new file more often only thrashes), not '5s'"},
      {{"--rotate", "63K"}, "--rotate needs at least 10s or 64K"},
      {{"--config", config}, config + ":3: unknown option 'logdir'"},
      {{"--config", nested}, nested + ":1: config cannot be used inside a config file"},
      {{"--config", no_equals}, no_equals + ":3: expected key = value, not 'verbose'"},
      {{"--config", big}, big + ": too large for a config file (over 64 KiB)"},
      {{"--config", dir.File("absent.conf")}, dir.File("absent.conf") + ": cannot be read ("},
      {{"--config", dir.File("")}, dir.File("") + ": cannot be read ("},  // a folder
      {{"--plan", "lte"},
       "--plan takes one of ism900, wifi24, public-safety, wifi5, unii, not 'lte'"},
      {{"--threshold", "-151"},
       "--threshold needs a whole number of dBm from -150 to 0, not '-151'"},
      {{"--threshold", "-85.5"}, "not '-85.5'"},
      {{"--channel-span", "5s"}, "--channel-span needs a duration from 10s to 1d, not '5s'"},
      {{"--channel-span", "2d"}, "not '2d'"},
      {{"--metrics", "::1:9101"}, "--metrics takes [ADDR:]PORT"},
      {{"--scpi", "5025x"},
       "--scpi takes [ADDR:]PORT (5025, 0.0.0.0:5025, [::1]:5025, *:5025), not '5025x'"},
      {{"--connect", "ftp://x"}, "--connect cannot use 'ftp://x'"},
      {{"--start", "2400"}, "--start needs --stop too"},
      {{"--start", "2.4e3", "--stop", "2400"},
       "--start 2400 and --stop 2400: the start must lie below the stop"},
      {{"--start", "2480", "--stop", "5200"},
       "--start 2480 and --stop 5200 MHz lie in no one band of the Receiver (902.4-928, "
       "2400-2500, 4940-4990, 5150-5900 MHz)"},
      {{"--stop", "nan"}, "--stop needs a frequency in MHz, not 'nan'"},
      {{"--limit", "--verbose"}, "--limit needs a value (FILE)"},
      {{"--verbose=no"}, "--verbose takes no value"},
      {{"--log-dir="}, "--log-dir needs a folder name"},
      {{"extra"}, "unexpected argument 'extra'"},
      {{"--log-dir", "a\nb", "--plan", "a\nb"}, "not 'a?b'"},
  };
  for (const auto& [extra, message] : mistakes) {
    std::vector<std::string> arguments = base;
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const RecorderCommandLine line = Parse(arguments);
    EXPECT_EQ(line.action, Action::kError) << extra.back();
    EXPECT_THAT(line.error, HasSubstr(message)) << extra.back();
    EXPECT_EQ(line.error.find('\n'), std::string::npos) << extra.back();
  }

  EXPECT_EQ(Parse({"--connect", "usb:X"}).error, "--log-dir DIR is required");
  EXPECT_EQ(Parse({"--log-dir", "logs"}).error, "--connect URI is required");
  EXPECT_EQ(Parse({}).error, "--connect URI and --log-dir DIR are required");
  // Help and the version need nothing else; help wins over the version.
  EXPECT_EQ(Parse({"--version"}).action, Action::kVersion);
  EXPECT_EQ(Parse({"--version", "-h"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--help", "--version"}).action, Action::kHelp);
}

TEST(RecorderOptionsTest, DurationsAndSizesNeedTheirUnit) {
  constexpr int64_t kDay = 86400;
  EXPECT_EQ(ParseDurationSeconds("90s"), 90);
  EXPECT_EQ(ParseDurationSeconds("30m"), 1800);
  EXPECT_EQ(ParseDurationSeconds("1h"), 3600);
  EXPECT_EQ(ParseDurationSeconds("2d"), 2 * kDay);
  EXPECT_EQ(ParseDurationSeconds("1w"), 7 * kDay);
  for (const char* refused : {"", "s", "90", "0s", "-5m", "+5m", "1.5h", "1H", "5 m", " 5m", "1y",
                              "99999999999999999w", "1M"}) {
    EXPECT_EQ(ParseDurationSeconds(refused), std::nullopt) << refused;
  }

  EXPECT_EQ(ParseSizeBytes("64K"), 65536u);
  EXPECT_EQ(ParseSizeBytes("64k"), 65536u);
  EXPECT_EQ(ParseSizeBytes("500M"), 500ull << 20);
  EXPECT_EQ(ParseSizeBytes("500MB"), 500ull << 20);
  EXPECT_EQ(ParseSizeBytes("500MiB"), 500ull << 20);
  EXPECT_EQ(ParseSizeBytes("2G"), 2ull << 30);
  EXPECT_EQ(ParseSizeBytes("1T"), 1ull << 40);
  EXPECT_EQ(ParseSizeBytes("16777215T"), 16777215ull << 40);
  for (const char* refused : {"", "K", "1024", "0M", "-1G", "1.5G", "1m", "1g", "1MiBs", "1Mb",
                              "1P", "16777216T", "2 G"}) {
    EXPECT_EQ(ParseSizeBytes(refused), std::nullopt) << refused;
  }

  // One letter apart: minutes and mebibytes.
  EXPECT_EQ(ParseFileLimit("30m"), (FileLimit{1800, 0}));
  EXPECT_EQ(ParseFileLimit("30M"), (FileLimit{0, 30ull << 20}));
  EXPECT_EQ(ParseFileLimit("30"), std::nullopt);
}

TEST(RecorderOptionsTest, ListenAddresses) {
  EXPECT_EQ(ParseListenAddress("9101"), (ListenAddress{"127.0.0.1", 9101}));
  EXPECT_EQ(ParseListenAddress("0"), (ListenAddress{"127.0.0.1", 0}));
  EXPECT_EQ(ParseListenAddress("127.0.0.1:9101"), (ListenAddress{"127.0.0.1", 9101}));
  EXPECT_EQ(ParseListenAddress("0.0.0.0:65535"), (ListenAddress{"0.0.0.0", 65535}));
  EXPECT_EQ(ParseListenAddress("*:9101"), (ListenAddress{"0.0.0.0", 9101}));
  EXPECT_EQ(ParseListenAddress("[::1]:9101"), (ListenAddress{"::1", 9101}));
  EXPECT_EQ(ParseListenAddress("[::]:80"), (ListenAddress{"::", 80}));
  EXPECT_EQ(ParseListenAddress("localhost:9101"), (ListenAddress{"localhost", 9101}));
  for (const char* refused :
       {"", ":9101", "65536", "-1", "+80", "9101:", "256.0.0.1:80", "1.2.3:80", "1.2.3.4.5:80",
        "01234.0.0.1:80", "::1:9101", "[::1]", "[::1]9101", "[]:80", "[::g]:80", "host.lan:80",
        "*:", "127.0.0.1:99999", "127.0.0.1 :80"}) {
    EXPECT_EQ(ParseListenAddress(refused), std::nullopt) << refused;
  }
}

}  // namespace
}  // namespace qv
