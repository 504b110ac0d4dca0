#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace prometheus {
class Counter;
class Gauge;
class Registry;
template <typename T>
class Family;
}  // namespace prometheus

namespace qv {

// One channel's figures over the channel span.
struct ChannelMetric {
  std::string channel;
  double utilisation_ratio = 0;
  double mean_dbm = 0;
  double max_dbm = 0;
};

// The recorder's figures in the Prometheus text format, optionally served over HTTP.
// Call every method from one thread; the server's threads only read. Label values that are not
// valid UTF-8 have their bad bytes replaced, since one such value would fail the whole scrape.
class MetricsExporter {
 public:
  // Serves /metrics on `host`:`port` (host "127.0.0.1", "0.0.0.0", "::1", "::" ...; port 0
  // takes a free port). Null, with a one-line reason in `error` (naming the address), when it
  // cannot listen. Never throws.
  static std::unique_ptr<MetricsExporter> Start(const std::string& host, uint16_t port,
                                                const std::string& version, std::string* error);
  // Without a server: the same metrics, read through Text().
  static std::unique_ptr<MetricsExporter> Detached(const std::string& version);
  ~MetricsExporter();
  MetricsExporter(const MetricsExporter&) = delete;
  MetricsExporter& operator=(const MetricsExporter&) = delete;

  uint16_t Port() const;  // the bound port; 0 when detached

  void SetUp(bool up);
  void CountSweep();
  void CountReconnect();
  // The peak and noise-floor gauges are left out until the first call: a 0 dBm peak before any
  // sweep would read as a real level.
  void SetLastSweep(double peak_dbm, double peak_frequency_hz, double noise_floor_dbm);
  // Replaces every channel series: those of channels not in `channels` go away.
  void SetChannels(const std::string& plan, const std::vector<ChannelMetric>& channels);
  // `line` is "upper" or "lower". The first call for a line also starts its violation counter
  // at 0, so that rate() sees the first violation.
  void SetLimitFailing(const std::string& line, bool failing);
  void CountLimitViolation(const std::string& line);
  void AddLogBytes(uint64_t bytes);
  void CountLogWriteError();
  // Replaces the previous info series.
  void SetReceiverInfo(const std::string& serial, const std::string& firmware);

  // The exposition text as /metrics serves it (text format 0.0.4).
  std::string Text() const;

 private:
  using Labels = std::map<std::string, std::string>;
  struct ChannelSeries {
    prometheus::Gauge* utilisation = nullptr;
    prometheus::Gauge* mean = nullptr;
    prometheus::Gauge* max = nullptr;
  };

  struct Server;

  explicit MetricsExporter(const std::string& version);

  std::shared_ptr<prometheus::Registry> registry_;
  std::unique_ptr<Server> server_;  // null when detached
  uint16_t port_ = 0;

  prometheus::Gauge* up_ = nullptr;
  prometheus::Counter* sweeps_ = nullptr;
  prometheus::Counter* reconnects_ = nullptr;
  prometheus::Counter* log_bytes_ = nullptr;
  prometheus::Counter* log_write_errors_ = nullptr;
  prometheus::Family<prometheus::Gauge>* peak_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* peak_frequency_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* noise_floor_family_ = nullptr;
  prometheus::Gauge* peak_ = nullptr;  // null until the first sweep, as are the next two
  prometheus::Gauge* peak_frequency_ = nullptr;
  prometheus::Gauge* noise_floor_ = nullptr;
  prometheus::Family<prometheus::Gauge>* utilisation_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* mean_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* max_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* limit_failing_family_ = nullptr;
  prometheus::Family<prometheus::Counter>* limit_violations_family_ = nullptr;
  prometheus::Family<prometheus::Gauge>* receiver_info_family_ = nullptr;
  prometheus::Gauge* receiver_info_ = nullptr;
  Labels receiver_info_labels_;
  std::map<Labels, ChannelSeries> channels_;
};

}  // namespace qv
