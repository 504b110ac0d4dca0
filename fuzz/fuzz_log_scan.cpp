// Reads arbitrary bytes as a spectrum log through the scan, the overview cells, the window
// statistics of whole sweeps and the channel use of every plan, from memory and as a stream.
// Whole sweeps pass in file order, never more records than the log has. Nothing may read out of bounds, the index must point
// inside the data in order, the cells must hold only levels of the data, and both walks must
// meet the same records; a ranged walk between two index entries meets exactly the records the
// whole walk met there. The timeline over the index never runs backwards and finds every
// second and offset inside it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/control/channel_plans.h"
#include "core/record/log_channels.h"
#include "core/record/log_reader.h"
#include "core/record/log_scan.h"
#include "core/record/log_time.h"
#include "core/record/log_timeline.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

// Sums the records starting in [from, to).
struct Counter : qv::LogVisitor {
  Counter(uint64_t from = 0, uint64_t to = UINT64_MAX) : from(from), to(to) {}
  void OnHeader(const qv::LogHeaderInfo&) override {}
  void OnRecord(const qv::LogRecordView& record) override {
    if (record.offset >= from && record.offset < to) sum += record.offset + record.length;
  }
  uint64_t from;
  uint64_t to;
  uint64_t sum = 0;
};

// Checks that records come in file order, and counts them.
struct InOrder : qv::LogVisitor {
  void OnHeader(const qv::LogHeaderInfo&) override {}
  void OnRecord(const qv::LogRecordView& record) override {
    Check(records == 0 || record.offset > last);
    last = record.offset;
    ++records;
  }
  uint64_t last = 0;
  uint64_t records = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::LogScan scan;
  const qv::LogScanResult result = qv::ScanLog(data, size, scan);
  uint64_t before = 0;
  for (const qv::LogTimeEntry& entry : scan.Index()) {
    Check(entry.offset >= before && entry.offset < size);
    before = entry.offset;
  }
  const qv::LogTimeline timeline(scan.Index(), scan.Sweeps(), size);
  for (size_t i = 1; i < timeline.Entries(); ++i)
    Check(timeline.Elapsed(i) >= timeline.Elapsed(i - 1));
  if (!timeline.Empty()) {
    for (const int64_t second :
         {int64_t{-1}, int64_t{0}, timeline.Duration() / 2, timeline.Duration() + 1}) {
      const size_t i = timeline.EntryAt(second);
      Check(i < timeline.Entries() &&
            timeline.SweepTime(i, 3) >= static_cast<double>(timeline.Elapsed(i)));
      const auto [begin, end] = timeline.RangeOf(second, timeline.Duration());
      Check(begin <= end && end <= size);
    }
    (void)timeline.ElapsedOf(qv::LogTimePoint{false, timeline.Entry(0).seconds});
    (void)timeline.ClockAt(size / 2);
  }

  if (scan.Earliest() && !scan.Settings().empty()) {
    qv::LogOverviewGrid grid{*scan.Earliest(),
                             *scan.Latest(),
                             scan.Settings()[0].LowHz(),
                             scan.Settings()[0].HighHz(),
                             7,
                             13};
    const auto walk = [&](const qv::LogOverviewGrid& g) {
      qv::LogOverview overview(g);
      qv::ScanLog(data, size, overview);
      if (overview.Grid().rows == 0) return;
      for (uint32_t row = 0; row < g.rows; ++row)
        for (uint32_t column = 0; column < g.columns; ++column) (void)overview.Cell(row, column);
    };
    walk(grid);
    // Rows by elapsed time, as the replay's strip has them.
    grid.elapsed = true;
    grid.first_second = 0;
    grid.last_second = qv::LogTimeline(scan.Index(), scan.Sweeps(), size).Duration();
    walk(grid);
  }

  // As quorvalin-log summary walks: the window, then whole sweeps only.
  qv::LogWindowStats stats(-85 * 16);
  qv::LogWholeSweeps whole_sweeps(stats);
  qv::LogTimeWindow window(whole_sweeps, qv::LogTimePoint{true, 1},
                           qv::ParseLogTime("2024-01-31 13:45:09"));
  qv::ScanLog(data, size, window);
  whole_sweeps.Finish();
  InOrder in_order;
  qv::LogWholeSweeps whole_in_order(in_order);
  qv::ScanLog(data, size, whole_in_order);
  whole_in_order.Finish();
  Check(in_order.records <= result.records);
  for (const qv::LogWindowStats::Setting& setting : stats.Settings()) {
    for (const qv::LogWindowStats::Point& p : setting.points)
      Check(p.count == 0 || (p.min <= p.max && p.reached <= p.count));
  }

  // The plan that follows the band, and one given whatever the band.
  for (const qv::ChannelPlan* plan : {static_cast<const qv::ChannelPlan*>(nullptr),
                                      &qv::ChannelPlans()[size % qv::ChannelPlans().size()]}) {
    qv::LogChannelUse use(plan, -85 * 16);
    qv::ScanLog(data, size, use);
    for (const qv::ChannelUse& c : use.Figures())
      Check(c.busy <= c.sweeps && c.level_count >= c.sweeps);
    if (use.Plan() != nullptr) (void)qv::ChannelUseCsv(*use.Plan(), use.Figures());
  }

  Counter in_memory, streamed;
  qv::ScanLog(data, size, in_memory);
  // fmemopen refuses an empty buffer.
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  std::string error;
  const qv::LogScanResult stream = qv::ScanLogStream(file, streamed, &error);
  std::fclose(file);
  Check(error.empty() && stream.records == result.records && stream.torn == result.torn &&
        stream.torn_at == result.torn_at && stream.trailing == result.trailing &&
        streamed.sum == in_memory.sum);

  if (scan.Index().empty()) return 0;
  const uint64_t from = scan.Index()[size % scan.Index().size()].offset;
  const uint64_t to = scan.Index().size() > 1 ? scan.Index().back().offset : UINT64_MAX;
  Counter whole(from, to), ranged;
  qv::ScanLog(data, size, whole);
  file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  qv::ScanLogStreamRange(file, from, to, ranged, &error);
  std::fclose(file);
  Check(error.empty() && ranged.sum == whole.sum);
  return 0;
}
