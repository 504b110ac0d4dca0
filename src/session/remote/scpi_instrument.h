#pragma once

#include <QObject>
#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/remote/kept_sweep.h"
#include "core/remote/scpi_format.h"
#include "core/remote/scpi_parser.h"
#include "core/remote/scpi_status.h"
#include "session/instrument_session.h"
#include "session/remote/remote_host.h"
#include "session/remote/remote_server.h"

namespace qv {

// One remote connection's instrument: its own status, data format and markers over the shared
// session. A line's query answers go back joined with ';' and ended by LF.
//
// INITiate arms one sweep; *OPC?, *WAI (and *OPC's bit) wait until a whole sweep begun after it
// is in. A sweep in progress at INIT may have begun before it, so the first completion is skipped
// unless no point has come since the traces were last reset. Waiting never blocks the program:
// this client's later units and lines queue (bounded) until the sweep comes, ABORt is not read
// while waiting, and a lost link ends the wait with -240 queued. ABORt outside a wait ends an
// armed sweep as if it had completed (a later *OPC? answers 1 at once).
class CScpiClient : public QObject, public RemoteClient, private SessionObserver {
  Q_OBJECT

 public:
  // Lines beyond this, while waiting for a sweep, are refused with -363.
  static constexpr size_t kMaxQueuedLines = 64;

  CScpiClient(InstrumentSession& session, RemoteHost* host, std::string remote_dir,
              std::string version, RemoteWrite write);
  ~CScpiClient() override;

  void OnLine(std::string_view line) override;
  void OnLineTooLong() override;
  void OnAnswersDropped() override;

 private:
  struct Marker {
    bool on = false;
    int32_t point = 0;
  };
  enum class DataFormat { kAscii, kReal32 };

  // Runs units_ from next_unit_ until the line ends or a unit must wait; then the queued lines.
  void RunPending();
  // False when the unit must wait for the armed sweep.
  bool RunUnit(const ScpiUnit& unit);
  void Answer(std::string text) { answers_.push_back(std::move(text)); }
  void Fail(int code, const ScpiUnit& unit, std::string_view detail = {});
  void EndWait();

  // Settings (scpi_setting_commands.cpp).
  void RunFrequency(const ScpiUnit& unit);
  void RunBandwidth(const ScpiUnit& unit);
  void RunReferenceLevel(const ScpiUnit& unit);
  void RunFormat(const ScpiUnit& unit);
  void RunFile(const ScpiUnit& unit);
  // Readings of the kept sweep (scpi_reading_commands.cpp).
  void RunTrace(const ScpiUnit& unit);
  void RunFrequencyData(const ScpiUnit& unit);
  void RunMarker(const ScpiUnit& unit);
  void RunBand(const ScpiUnit& unit);
  void RunChannelUse(const ScpiUnit& unit);
  void RunLimit(const ScpiUnit& unit);
  // Levels or frequencies in the current format.
  std::string Data(const std::vector<double>& values) const;
  // The kept sweep, or null with -221 queued.
  const KeptSweep* Sweep(const ScpiUnit& unit);
  // The file `name` inside the remote folder, or empty with the error queued.
  std::string PathOf(const ScpiUnit& unit, size_t param);

  // SessionObserver
  void WholeSweep(const TraceData& trace) override;
  void Disconnected(bool lost) override;

  InstrumentSession& session_;
  RemoteHost* host_;
  std::string remote_dir_;
  std::string version_;
  RemoteWrite write_;
  ScpiParser parser_;
  ScpiStatus status_;
  DataFormat format_ = DataFormat::kAscii;
  ScpiByteOrder order_ = ScpiByteOrder::kNormal;
  std::array<Marker, 2> markers_{};
  bool continuous_ = true;
  KeptSweep kept_;
  // The armed sweep: completions still to skip before the one that counts.
  bool armed_ = false;
  int skip_sweeps_ = 0;
  bool waiting_ = false;
  std::vector<ScpiUnit> units_;  // of the line in progress
  size_t next_unit_ = 0;
  std::vector<std::string> answers_;
  std::deque<std::string> queued_lines_;
};

// Makes a CScpiClient for each connection. `host` may be null (log and capture refused);
// `remote_dir` empty is the current folder.
RemoteClientFactory ScpiClientFactory(InstrumentSession& session, RemoteHost* host,
                                      std::string remote_dir, std::string version);

}  // namespace qv
