#include "session/remote/scpi_instrument.h"

#include <iterator>

#include "core/remote/scpi_common.h"
#include "core/remote/scpi_error.h"
#include "session/remote/scpi_instrument_commands.h"

namespace qv {
namespace {

const std::vector<ScpiCommand>& CommandTable() {
  static const std::vector<ScpiCommand> table = [] {
    std::vector<ScpiCommand> all(std::begin(kScpiStandardCommands), std::end(kScpiStandardCommands));
    all.insert(all.end(), std::begin(kScpiInstrumentCommands), std::end(kScpiInstrumentCommands));
    return all;
  }();
  return table;
}

// An identity field from the Receiver's text: no separators of the answer, printable only.
std::string IdentityField(const std::string& text) {
  std::string field;
  for (const char c : text) {
    if (c > ' ' && c < 127 && c != ',' && c != ';' && c != '"') field += c;
  }
  return field.empty() ? "0" : field;
}

}  // namespace

CScpiClient::CScpiClient(InstrumentSession& session, RemoteHost* host, std::string remote_dir,
                         std::string version, RemoteWrite write)
    : session_(session),
      host_(host),
      remote_dir_(std::move(remote_dir)),
      version_(std::move(version)),
      write_(std::move(write)),
      parser_(CommandTable()) {
  session_.AddObserver(this);
  if (session_.Trace().StoredPoints() > 0) kept_ = KeptSweep::Of(session_.Trace());
}

CScpiClient::~CScpiClient() { session_.RemoveObserver(this); }

void CScpiClient::OnLine(std::string_view line) {
  if (waiting_) {
    if (queued_lines_.size() >= kMaxQueuedLines) {
      status_.PushError(kScpiInputBufferOverrun, "commands queued behind a wait");
      return;
    }
    queued_lines_.emplace_back(line);
    return;
  }
  units_ = parser_.Parse(line);
  next_unit_ = 0;
  RunPending();
}

void CScpiClient::OnLineTooLong() { status_.PushError(kScpiInputBufferOverrun); }

void CScpiClient::OnAnswersDropped() { status_.PushError(kScpiQueryInterrupted); }

void CScpiClient::RunPending() {
  for (;;) {
    while (next_unit_ < units_.size()) {
      if (!RunUnit(units_[next_unit_])) {
        waiting_ = true;
        return;
      }
      ++next_unit_;
    }
    if (!answers_.empty()) {
      std::string line;
      for (size_t i = 0; i < answers_.size(); ++i) {
        if (i > 0) line += ';';
        line += answers_[i];
      }
      line += '\n';
      answers_.clear();
      write_(line);
    }
    units_.clear();
    next_unit_ = 0;
    if (queued_lines_.empty()) return;
    units_ = parser_.Parse(queued_lines_.front());
    queued_lines_.pop_front();
  }
}

void CScpiClient::Fail(int code, const ScpiUnit& unit, std::string_view detail) {
  status_.PushError(code, detail.empty() ? std::string_view(unit.header) : detail);
}

bool CScpiClient::RunUnit(const ScpiUnit& unit) {
  if (unit.error) {
    status_.PushError(unit.error, unit.header);
    return true;
  }
  if (const ScpiCommonResult common = RunScpiCommon(unit, status_, armed_); common.handled) {
    if (common.answers) Answer(common.answer);
    return true;
  }
  const bool has_params = !unit.params.empty();
  switch (unit.id) {
    case kScpiIdn:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      Answer("Quorvalin,Receiver," + IdentityField(session_.SerialText()) + "," +
             IdentityField(session_.FirmwareText()) + "/" + IdentityField(version_));
      return true;
    case kScpiRst:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      if (session_.Connected()) session_.Ops().SetDefaultSpectrum();
      continuous_ = true;
      format_ = DataFormat::kAscii;
      order_ = ScpiByteOrder::kNormal;
      markers_ = {};
      armed_ = false;
      status_.CancelOperationComplete();
      return true;
    case kScpiOpc:  // the query; the command is the status's
    case kScpiWai:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      if (armed_) return false;
      if (unit.id == kScpiOpc) Answer("1");
      return true;
    case kCmdInitContinuous: {
      if (unit.query) {
        if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
        Answer(continuous_ ? "1" : "0");
        return true;
      }
      if (const int error = CheckScpiParamCount(unit, 1, 1)) return Fail(error, unit), true;
      const std::optional<bool> on = ScpiBool(unit.params[0]);
      if (!on) return Fail(kScpiIllegalParameterValue, unit), true;
      continuous_ = *on;
      if (continuous_ && armed_) EndWait();
      return true;
    }
    case kCmdInitImmediate:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      if (!session_.Connected()) return Fail(kScpiHardwareError, unit, "Receiver not connected"), true;
      armed_ = true;
      skip_sweeps_ = session_.Trace().points_received > 0 ? 1 : 0;
      return true;
    case kCmdAbort:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      if (armed_) EndWait();
      return true;
    case kCmdFreqStart:
    case kCmdFreqStop:
    case kCmdFreqCenter:
    case kCmdFreqSpan:
      RunFrequency(unit);
      return true;
    case kCmdBandwidth:
      RunBandwidth(unit);
      return true;
    case kCmdReferenceLevel:
      RunReferenceLevel(unit);
      return true;
    case kCmdFormat:
    case kCmdByteOrder:
      RunFormat(unit);
      return true;
    case kCmdLimitLoad:
    case kCmdLogStart:
    case kCmdLogStop:
    case kCmdCapture:
      RunFile(unit);
      return true;
    case kCmdSweepPoints:
      if (has_params) return Fail(kScpiParameterNotAllowed, unit), true;
      Answer(std::to_string(kept_.Points()));
      return true;
    case kCmdFreqData:
      RunFrequencyData(unit);
      return true;
    case kCmdTraceData:
      RunTrace(unit);
      return true;
    case kCmdMarkerState:
    case kCmdMarkerPeak:
    case kCmdMarkerNext:
    case kCmdMarkerX:
    case kCmdMarkerY:
      RunMarker(unit);
      return true;
    case kCmdBandPower:
    case kCmdOccupiedBandwidth:
    case kCmdAdjacentPower:
      RunBand(unit);
      return true;
    case kCmdChannelUse:
      RunChannelUse(unit);
      return true;
    case kCmdLimitState:
    case kCmdLimitFail:
    case kCmdLimitClear:
      RunLimit(unit);
      return true;
    default:
      Fail(kScpiUndefinedHeader, unit);
      return true;
  }
}

void CScpiClient::EndWait() {
  armed_ = false;
  skip_sweeps_ = 0;
  status_.OperationsComplete();
  if (waiting_) {
    waiting_ = false;
    RunPending();
  }
}

void CScpiClient::WholeSweep(const TraceData& trace) {
  if (continuous_ || armed_) kept_ = KeptSweep::Of(trace);
  if (!armed_) return;
  if (skip_sweeps_ > 0) {
    --skip_sweeps_;
    return;
  }
  EndWait();
}

void CScpiClient::Disconnected(bool /*lost*/) {
  if (!armed_) return;
  status_.PushError(kScpiHardwareError, "Receiver lost before the sweep");
  EndWait();
}

RemoteClientFactory ScpiClientFactory(InstrumentSession& session, RemoteHost* host,
                                      std::string remote_dir, std::string version) {
  return [&session, host, remote_dir = std::move(remote_dir),
          version = std::move(version)](RemoteWrite write) -> std::unique_ptr<RemoteClient> {
    return std::make_unique<CScpiClient>(session, host, remote_dir, version, std::move(write));
  };
}

}  // namespace qv
