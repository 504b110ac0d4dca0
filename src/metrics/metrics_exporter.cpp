#include "metrics/metrics_exporter.h"

#include <CivetServer.h>
#include <arpa/inet.h>
#include <civetweb.h>
#include <netinet/in.h>
#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include <exception>
#include <string_view>

namespace qv {
namespace {

constexpr unsigned kCivetFeatureIpv6 = 8;

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 (overlong forms and
// surrogates included, as Prometheus's parser rejects them).
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length > text.size() - at) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char b = byte(at + i);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// A label value Prometheus accepts: each byte that is not part of valid UTF-8 becomes U+FFFD.
std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

// civetweb reports why it could not listen only through its log callback, on the thread that
// starts it; this catches the first such message.
thread_local std::string* civet_message = nullptr;

int KeepCivetMessage(const mg_connection*, const char* message) {
  if (civet_message != nullptr && civet_message->empty() && message != nullptr)
    *civet_message = message;
  return 1;  // handled: civetweb prints nothing itself
}

// "cannot bind to 127.0.0.1:9100: 98 (Address already in use)" -> "Address already in use".
std::string ListenFailure(const std::string& message) {
  if (message.empty()) return "the HTTP server did not start";
  const size_t open = message.rfind('(');
  if (message.back() == ')' && open != std::string::npos)
    return message.substr(open + 1, message.size() - open - 2);
  return message;
}

prometheus::Family<prometheus::Gauge>& Gauges(prometheus::Registry& registry,
                                              const std::string& name, const std::string& help) {
  return prometheus::BuildGauge().Name(name).Help(help).Register(registry);
}

prometheus::Family<prometheus::Counter>& Counters(prometheus::Registry& registry,
                                                  const std::string& name,
                                                  const std::string& help) {
  return prometheus::BuildCounter().Name(name).Help(help).Register(registry);
}

}  // namespace

// Serves Text() at /metrics from civetweb's threads. Not prometheus::Exposer: that one adds
// metrics of its own, so /metrics would differ from Text(), and it leaves the format version
// out of the content type.
struct MetricsExporter::Server : CivetHandler {
  explicit Server(const MetricsExporter& exporter) : exporter(exporter) {}

  bool handleGet(CivetServer*, mg_connection* connection) override {
    const std::string text = exporter.Text();
    mg_send_http_ok(connection, "text/plain; version=0.0.4; charset=utf-8",
                    static_cast<long long>(text.size()));
    mg_write(connection, text.data(), text.size());
    return true;
  }

  // False, with the reason, when civetweb cannot listen on `address`.
  bool Listen(const std::string& address, std::string* reason) {
    std::string message;
    civet_message = &message;
    try {
      CivetCallbacks callbacks;
      callbacks.log_message = KeepCivetMessage;
      civet = std::make_unique<CivetServer>(
          std::vector<std::string>{"listening_ports", address, "num_threads", "2"}, &callbacks);
      civet->addHandler("/metrics$", this);
    } catch (const std::exception&) {
      *reason = ListenFailure(message);
    }
    civet_message = nullptr;
    return civet != nullptr;
  }

  const MetricsExporter& exporter;
  std::unique_ptr<CivetServer> civet;  // a member, so it stops before the handler goes
};

MetricsExporter::MetricsExporter(const std::string& version)
    : registry_(std::make_shared<prometheus::Registry>()) {
  prometheus::Registry& r = *registry_;
  up_ = &Gauges(r, "quorvalin_up", "Whether the link is up and sweeps arrive (1) or not (0).")
             .Add({});
  // Label-free counters exist at 0 from the start, so rate() has a first sample.
  sweeps_ = &Counters(r, "quorvalin_sweeps_total", "Sweeps received.").Add({});
  reconnects_ =
      &Counters(r, "quorvalin_reconnects_total", "Times the link was established again.").Add({});
  log_bytes_ =
      &Counters(r, "quorvalin_log_bytes_written_total", "Bytes written to the sweep log.").Add({});
  log_write_errors_ =
      &Counters(r, "quorvalin_log_write_errors_total", "Failed writes to the sweep log.").Add({});
  peak_family_ = &Gauges(r, "quorvalin_peak_dbm", "Highest level of the last sweep in dBm.");
  peak_frequency_family_ = &Gauges(r, "quorvalin_peak_frequency_hz",
                                   "Frequency of the last sweep's highest level in hertz.");
  noise_floor_family_ =
      &Gauges(r, "quorvalin_noise_floor_dbm", "Noise floor of the last sweep in dBm.");
  utilisation_family_ = &Gauges(r, "quorvalin_channel_utilisation_ratio",
                                "Channel utilisation over the channel span, 0 to 1.");
  mean_family_ =
      &Gauges(r, "quorvalin_channel_mean_dbm", "Mean level over the channel span in dBm.");
  max_family_ =
      &Gauges(r, "quorvalin_channel_max_dbm", "Highest level over the channel span in dBm.");
  limit_failing_family_ = &Gauges(r, "quorvalin_limit_failing",
                                  "Whether the last sweep fails the limit line (1) or not (0).");
  limit_violations_family_ =
      &Counters(r, "quorvalin_limit_violations_total", "Violations of the limit line.");
  receiver_info_family_ =
      &Gauges(r, "quorvalin_receiver_info",
              "The connected receiver's serial number and firmware (always 1).");
  Gauges(r, "quorvalin_build_info", "The program's version (always 1).")
      .Add({{"version", ValidUtf8(version)}}, 1.0);
}

MetricsExporter::~MetricsExporter() {
  server_.reset();  // no scrape may outlive the metrics
}

std::unique_ptr<MetricsExporter> MetricsExporter::Start(const std::string& host, uint16_t port,
                                                        const std::string& version,
                                                        std::string* error) {
  const std::string port_text = std::to_string(port);
  const bool ipv6 = host.find(':') != std::string::npos;
  const std::string shown = ipv6 ? "[" + host + "]:" + port_text : host + ":" + port_text;
  std::string reason;
  try {
    // Only numeric addresses reach civetweb: its option takes a comma-separated list, so a
    // free-form host could open more ports than asked for.
    in_addr v4{};
    in6_addr v6{};
    if (ipv6 ? inet_pton(AF_INET6, host.c_str(), &v6) != 1
             : inet_pton(AF_INET, host.c_str(), &v4) != 1) {
      reason = "not a numeric IPv4 or IPv6 address";
    } else if (ipv6 && mg_check_feature(kCivetFeatureIpv6) == 0) {
      reason = "this build of the HTTP server (civetweb) cannot listen on IPv6";
    } else {
      std::unique_ptr<MetricsExporter> exporter(new MetricsExporter(version));
      auto server = std::make_unique<Server>(*exporter);
      if (server->Listen(shown, &reason)) {
        const std::vector<int> ports = server->civet->getListeningPorts();
        exporter->port_ = ports.empty() ? port : static_cast<uint16_t>(ports.front());
        exporter->server_ = std::move(server);
        return exporter;
      }
    }
  } catch (const std::exception& e) {
    reason = e.what();
  }
  if (error != nullptr) *error = "cannot serve metrics on " + shown + ": " + reason;
  return nullptr;
}

std::unique_ptr<MetricsExporter> MetricsExporter::Detached(const std::string& version) {
  return std::unique_ptr<MetricsExporter>(new MetricsExporter(version));
}

uint16_t MetricsExporter::Port() const {
  return port_;
}

void MetricsExporter::SetUp(bool up) {
  up_->Set(up ? 1 : 0);
}

void MetricsExporter::CountSweep() {
  sweeps_->Increment();
}

void MetricsExporter::CountReconnect() {
  reconnects_->Increment();
}

void MetricsExporter::SetLastSweep(double peak_dbm, double peak_frequency_hz,
                                   double noise_floor_dbm) {
  if (peak_ == nullptr) {
    peak_ = &peak_family_->Add({}, peak_dbm);
    peak_frequency_ = &peak_frequency_family_->Add({}, peak_frequency_hz);
    noise_floor_ = &noise_floor_family_->Add({}, noise_floor_dbm);
    return;
  }
  peak_->Set(peak_dbm);
  peak_frequency_->Set(peak_frequency_hz);
  noise_floor_->Set(noise_floor_dbm);
}

void MetricsExporter::SetChannels(const std::string& plan,
                                  const std::vector<ChannelMetric>& channels) {
  const std::string plan_label = ValidUtf8(plan);
  std::map<Labels, ChannelSeries> kept;
  for (const ChannelMetric& channel : channels) {
    const Labels labels{{"plan", plan_label}, {"channel", ValidUtf8(channel.channel)}};
    ChannelSeries series;
    if (auto same = kept.find(labels); same != kept.end()) {
      series = same->second;  // a name given twice: the last figures win
    } else if (auto old = channels_.find(labels); old != channels_.end()) {
      series = old->second;
      channels_.erase(old);
    } else {
      series = {&utilisation_family_->Add(labels, channel.utilisation_ratio),
                &mean_family_->Add(labels, channel.mean_dbm),
                &max_family_->Add(labels, channel.max_dbm)};
    }
    series.utilisation->Set(channel.utilisation_ratio);
    series.mean->Set(channel.mean_dbm);
    series.max->Set(channel.max_dbm);
    kept.emplace(labels, series);
  }
  for (const auto& [labels, series] : channels_) {
    utilisation_family_->Remove(series.utilisation);
    mean_family_->Remove(series.mean);
    max_family_->Remove(series.max);
  }
  channels_ = std::move(kept);
}

void MetricsExporter::SetLimitFailing(const std::string& line, bool failing) {
  const Labels labels{{"line", ValidUtf8(line)}};
  limit_failing_family_->Add(labels).Set(failing ? 1 : 0);
  limit_violations_family_->Add(labels);
}

void MetricsExporter::CountLimitViolation(const std::string& line) {
  limit_violations_family_->Add({{"line", ValidUtf8(line)}}).Increment();
}

void MetricsExporter::AddLogBytes(uint64_t bytes) {
  log_bytes_->Increment(static_cast<double>(bytes));
}

void MetricsExporter::CountLogWriteError() {
  log_write_errors_->Increment();
}

void MetricsExporter::SetReceiverInfo(const std::string& serial, const std::string& firmware) {
  Labels labels{{"serial", ValidUtf8(serial)}, {"firmware", ValidUtf8(firmware)}};
  if (receiver_info_ != nullptr) {
    if (labels == receiver_info_labels_) return;
    // Gone before the new one comes, so no scrape sees two receivers.
    receiver_info_family_->Remove(receiver_info_);
  }
  receiver_info_ = &receiver_info_family_->Add(labels, 1.0);
  receiver_info_labels_ = std::move(labels);
}

std::string MetricsExporter::Text() const {
  return prometheus::TextSerializer().Serialize(registry_->Collect());
}

}  // namespace qv
