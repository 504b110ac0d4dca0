// Prints an exposition with every metric set, awkward label values included, for promtool.
#include <iostream>

#include "metrics/metrics_exporter.h"

int main() {
  auto exporter = qv::MetricsExporter::Detached("0.1.0-sample \"quoted\"");
  exporter->SetUp(true);
  exporter->CountSweep();
  exporter->CountReconnect();
  exporter->SetLastSweep(-41.5, 2.437e9, -97.25);
  exporter->SetChannels("wifi 2.4", {{"1", 0.25, -80.5, -45},
                                     {"back\\slash \"quote\"\nnewline", 1, -60, -30},
                                     {"bad \xff\xc0\xaf utf-8", 0, -99, -90}});
  exporter->SetLimitFailing("upper", true);
  exporter->SetLimitFailing("lower", false);
  exporter->CountLimitViolation("upper");
  exporter->AddLogBytes(4096);
  exporter->CountLogWriteError();
  exporter->SetReceiverInfo("\x01\xfe", "v1.2 \xe2\x82");
  std::cout << exporter->Text();
}
