#include "metrics/metrics_exporter.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>

namespace qv {
namespace {

bool HasLine(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// What the server on 127.0.0.1:`port` sent for a GET of `path` before it closed; the receive
// timeout only keeps a broken server from hanging the test.
std::string HttpGet(uint16_t port, const std::string& path) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  const timeval timeout{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string response;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        response.append(buffer, static_cast<size_t>(got));
    }
  }
  close(fd);
  return response;
}

TEST(MetricsExporter, TextCarriesEveryFigureAndDropsReplacedSeries) {
  auto exporter = MetricsExporter::Detached("1.2.3");
  EXPECT_EQ(exporter->Port(), 0);
  std::string text = exporter->Text();
  for (const char* line :
       {"quorvalin_up 0", "quorvalin_sweeps_total 0", "quorvalin_reconnects_total 0",
        "quorvalin_log_bytes_written_total 0", "quorvalin_log_write_errors_total 0",
        "quorvalin_build_info{version=\"1.2.3\"} 1"})
    EXPECT_TRUE(HasLine(text, line)) << line << " in\n" << text;
  // No sweep yet: no peak at all rather than a peak of 0 dBm.
  EXPECT_EQ(text.find("quorvalin_peak_dbm"), std::string::npos) << text;
  EXPECT_EQ(text.find("quorvalin_noise_floor_dbm"), std::string::npos) << text;

  exporter->SetUp(true);
  for (int i = 0; i < 3; ++i) exporter->CountSweep();
  exporter->CountReconnect();
  exporter->SetLastSweep(-50, 9e8, -100);
  exporter->SetLastSweep(-41.5, 2437000000, -97.25);
  exporter->SetChannels("wifi", {{"1", 0.5, -80, -60}, {"6", 0.75, -75, -55}});
  exporter->SetChannels("wifi", {{"6", 0.25, -70.5, -50}, {"11\xff", 1, -65, -45}});
  exporter->SetLimitFailing("upper", true);
  exporter->SetLimitFailing("lower", false);
  exporter->CountLimitViolation("upper");
  exporter->CountLimitViolation("upper");
  exporter->AddLogBytes(1000);
  exporter->AddLogBytes(24);
  exporter->CountLogWriteError();
  exporter->SetReceiverInfo("A1", "1.0");
  exporter->SetReceiverInfo("B2", "2.0");
  text = exporter->Text();

  for (const char* line : {
           "quorvalin_up 1",
           "quorvalin_sweeps_total 3",
           "quorvalin_reconnects_total 1",
           "quorvalin_peak_dbm -41.5",
           "quorvalin_peak_frequency_hz 2437000000",
           "quorvalin_noise_floor_dbm -97.25",
           "quorvalin_channel_utilisation_ratio{channel=\"6\",plan=\"wifi\"} 0.25",
           "quorvalin_channel_mean_dbm{channel=\"6\",plan=\"wifi\"} -70.5",
           "quorvalin_channel_max_dbm{channel=\"6\",plan=\"wifi\"} -50",
           // A byte that is not UTF-8 would fail the whole scrape: it becomes U+FFFD.
           "quorvalin_channel_max_dbm{channel=\"11\xef\xbf\xbd\",plan=\"wifi\"} -45",
           "quorvalin_limit_failing{line=\"upper\"} 1",
           "quorvalin_limit_failing{line=\"lower\"} 0",
           "quorvalin_limit_violations_total{line=\"upper\"} 2",
           "quorvalin_limit_violations_total{line=\"lower\"} 0",
           "quorvalin_log_bytes_written_total 1024",
           "quorvalin_log_write_errors_total 1",
           "quorvalin_receiver_info{firmware=\"2.0\",serial=\"B2\"} 1",
       })
    EXPECT_TRUE(HasLine(text, line)) << line << " in\n" << text;
  // Channel 1 left the plan and the first receiver was replaced: their series are gone.
  EXPECT_EQ(text.find("channel=\"1\""), std::string::npos) << text;
  EXPECT_EQ(text.find("serial=\"A1\""), std::string::npos) << text;
  // Levels are gauges, never histograms.
  EXPECT_EQ(text.find("histogram"), std::string::npos) << text;
}

TEST(MetricsExporter, ServesOnLoopbackAndNamesAddressesItCannotTake) {
  std::string error;
  auto exporter = MetricsExporter::Start("127.0.0.1", 0, "9.9", &error);
  ASSERT_NE(exporter, nullptr) << error;
  ASSERT_NE(exporter->Port(), 0);
  exporter->CountSweep();

  const std::string response = HttpGet(exporter->Port(), "/metrics");
  EXPECT_EQ(response.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << response;
  const size_t body = response.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos) << response;
  const std::string head = response.substr(0, body + 2);
  EXPECT_NE(head.find("\r\nContent-Type: text/plain; version=0.0.4"), std::string::npos) << head;
  EXPECT_TRUE(HasLine(response.substr(body + 4), "quorvalin_build_info{version=\"9.9\"} 1"))
      << response;
  EXPECT_TRUE(HasLine(response.substr(body + 4), "quorvalin_sweeps_total 1")) << response;
  EXPECT_EQ(HttpGet(exporter->Port(), "/metrics/x").rfind("HTTP/1.1 404", 0), 0u);

  const std::string taken = "127.0.0.1:" + std::to_string(exporter->Port());
  EXPECT_EQ(MetricsExporter::Start("127.0.0.1", exporter->Port(), "9.9", &error), nullptr);
  EXPECT_NE(error.find(taken), std::string::npos) << error;
  // A host that is not one numeric address never reaches the server's port list.
  for (const std::string host : {"127.0.0.1,0.0.0.0", "127.0.0.1:80", "localhost"}) {
    error.clear();
    EXPECT_EQ(MetricsExporter::Start(host, 0, "9.9", &error), nullptr) << host;
    EXPECT_NE(error.find(host), std::string::npos) << error;
  }
  EXPECT_EQ(MetricsExporter::Start("nonsense", 0, "9.9", nullptr), nullptr);
}

}  // namespace
}  // namespace qv
