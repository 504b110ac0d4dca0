// Exports arbitrary bytes read as a spectrum log to CSV. Only whole lines may reach the sink,
// and each holds as many levels as its sweep has points.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/record/log_csv.h"
#include "core/record/log_reader.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

// Fields after the time: Hz low, Hz high, Hz step, samples, then one per level.
void CheckLine(std::string_view line) {
  size_t fields = 1;
  for (char c : line) fields += c == ',' ? 1 : 0;
  Check(fields >= 7);
  uint64_t numbers[3] = {0, 0, 0};
  size_t at = line.find(", ", line.find(", ") + 2) + 2;
  for (uint64_t& number : numbers) {
    for (; line[at] != ','; ++at) number = number * 10 + static_cast<uint64_t>(line[at] - '0');
    at += 2;
  }
  if (numbers[2] != 0) Check(fields - 6 == (numbers[1] - numbers[0]) / numbers[2]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::LogCsvExport csv(
      [](std::string_view text) {
        Check(!text.empty() && text.back() == '\n');
        for (size_t start = 0; start < text.size();) {
          const size_t end = text.find('\n', start);
          CheckLine(text.substr(start, end - start));
          start = end + 1;
        }
        return true;
      },
      256);
  qv::ScanLog(data, size, csv);
  Check(csv.Finish());
  return 0;
}
