// The fast trace record against the plain model in trace_reference.h, over long random runs of
// blocks and page actions. Every field must match exactly, floats included.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/display/fake_trace_owner.h"
#include "core/display/trace_data.h"
#include "core/display/trace_reference.h"

namespace qv {
namespace {

namespace ref = reference;

struct RunOptions {
  uint32_t seed = 1;
  int sweeps = 150;
  std::vector<uint32_t> point_counts;
  bool allow_reverse = true;
  int max_average = 12;
};

class TraceEquivalence : public ::testing::Test {
 protected:
  void Run(const RunOptions& options) {
    rng_.seed(options.seed);
    options_ = options;
    points_ = options.point_counts.front();
    for (int sweep = 0; sweep < options.sweeps && !HasFailure(); ++sweep) {
      if (Chance(0.04)) points_ = Pick(options.point_counts);
      reference_level_ = static_cast<int16_t>(-20 - 10 * Uniform(0, 5));
      if (Chance(0.05)) plot_.bottom = plot_.top + Uniform(60, 700);
      const int block = Chance(0.2) ? Uniform(1, 7) : Uniform(1, static_cast<int>(points_));
      std::vector<uint32_t> offsets;
      for (uint32_t at = 0; at < points_; at += block) offsets.push_back(at);
      if (owner_.fast_rewind) std::reverse(offsets.begin(), offsets.end());
      for (uint32_t at : offsets) {
        RandomAction();
        // The last block may claim more points than remain in the sweep.
        const uint32_t left = points_ - at;
        const auto count =
            static_cast<uint16_t>(Chance(0.1) ? block : std::min<uint32_t>(block, left));
        Feed(at, count);
        ExpectSame("block", Chance(0.1));
        if (HasFailure()) return;
      }
      ExpectSame("sweep", true);
    }
  }

  void Feed(uint32_t at, uint16_t count) {
    SweepHeader h;
    h.type = Chance(0.2) ? kMsgTriggerSweep : kMsgSweep;
    h.start = start_;
    h.points = points_;
    h.sweep_word = 1;
    h.rbw_code = 1600;
    h.trigger_word1 = 7;
    h.reference_level = reference_level_;
    h.status = static_cast<uint8_t>(Uniform(0, 3));
    h.block_frequency = start_ + at;
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples) {
      s = Chance(0.01) ? static_cast<int16_t>(Uniform(-32768, 32767))
                       : static_cast<int16_t>(16 * Uniform(-110, -10) + Uniform(-15, 15));
    }
    const Bytes message = BuildSweepBlock(h, samples.data(), count);
    ref::Process(*model_, message, plot_, owner_.fast_rewind, owner_.threshold);
    ASSERT_TRUE(fast_->ProcessSweepBlock(message.data(), message.size(), plot_));
    compare_points_ = std::max<int32_t>(compare_points_, std::min<uint32_t>(points_, kMaxPoints));
  }

  void RandomAction() {
    if (!Chance(0.3)) return;
    const int slot = Uniform(0, 3);
    switch (Uniform(0, 13)) {
      case 0:
        fast_->frozen_live[slot].frozen ^= 1;
        model_->frozen_live[slot].frozen ^= 1;
        break;
      case 1:
        fast_->frozen_average[slot].frozen ^= 1;
        model_->frozen_average[slot].on ^= 1;
        break;
      case 2: {  // a peak slot goes live from the live trace
        fast_->peaks[slot].live = 1;
        fast_->StartPeakTrace(slot);
        model_->peaks[slot].on = 1;
        const int n = std::min<int>(model_->header.points, ref::kPoints);
        std::copy_n(model_->live_y.begin(), n, model_->peaks[slot].y.begin());
        std::copy_n(model_->sixteenths.begin(), n, model_->peaks[slot].sixteenths.begin());
        break;
      }
      case 3:
        fast_->peaks[slot].live = 0;
        model_->peaks[slot].on = 0;
        break;
      case 4: {
        const int count = Uniform(1, options_.max_average);
        fast_->StartTraceAverage(count);
        model_->average_count = count;
        model_->trace_average_on = 1;
        model_->average_index = 0;
        break;
      }
      case 5: {
        const int count = Uniform(1, options_.max_average);
        fast_->SetAverageCount(count);
        model_->average_count = count;
        break;
      }
      case 6:
        if (Chance(0.3)) {
          fast_->StopTraceAverage();
          model_->trace_average_on = model_->average_index = model_->average_count = 0;
        }
        break;
      case 7:
      case 8:
        PlaceMarker(Uniform(0, 2), Chance(0.5));
        break;
      case 9: {
        const int m = Uniform(0, 2);
        fast_->markers[m].a_placed = fast_->markers[m].b_placed = 0;
        model_->markers[m].a_placed = model_->markers[m].b_placed = 0;
        break;
      }
      case 10:
        owner_.threshold = static_cast<int16_t>(Uniform(-100, -20));
        break;
      case 11:
        if (options_.allow_reverse && Chance(0.3)) owner_.fast_rewind = !owner_.fast_rewind;
        break;
      case 12:
        if (Chance(0.2)) {
          fast_->ResetTraces();
          ref::Reset(*model_);
        }
        break;
      case 13: {
        if (Chance(0.5)) {
          fast_->ShiftSpectrogramHistory();
          ref::Shift(*model_, owner_.fast_rewind);
        } else {
          fast_->ClearSpectrogramHistory();
          const int n = std::min<int>(model_->header.points, ref::kPoints);
          const auto fill = static_cast<int16_t>(model_->header.reference_level - 110);
          for (int i = 0; i < n; ++i) model_->spectrogram[i].fill(fill);
        }
        break;
      }
    }
  }

  void PlaceMarker(int m, bool end_a) {
    const int32_t x = Uniform(60, plot_.right);
    const int32_t n = static_cast<int32_t>(points_);
    const int32_t point =
        Chance(0.1) ? Uniform(-5, n + 5) : (n - 1) * (x - 60) / (plot_.right - 60);
    MarkerRecord& fast = fast_->markers[m];
    ref::Marker& model = model_->markers[m];
    if (end_a) {
      fast.a_x = model.a_x = x;
      fast.a_point = model.a_point = point;
      fast.a_placed = model.a_placed = 1;
    } else {
      fast.b_x = model.b_x = x;
      fast.b_point = model.b_point = point;
      fast.b_placed = model.b_placed = 1;
    }
  }

  void ExpectSame(const std::string& where, bool histories) {
    SCOPED_TRACE(where + " seed " + std::to_string(options_.seed));
    const TraceData& f = *fast_;
    const ref::Record& r = *model_;
    ASSERT_EQ(f.write_index, r.write_index);
    ASSERT_EQ(f.block_start_index, r.block_start_index);
    ASSERT_EQ(f.average_index, r.average_index);
    ASSERT_EQ(f.average_count, r.average_count);
    ASSERT_EQ(f.points_received, r.points_received);
    ASSERT_EQ(f.sweep_counter, r.sweep_counter);
    ASSERT_EQ(f.trace_average_on, r.trace_average_on);
    ASSERT_EQ(f.data_clipping, r.data_clipping);
    ASSERT_EQ(f.low_battery, r.low_battery);
    ASSERT_EQ(f.sweep_power_sum, r.sweep_power_sum);
    ASSERT_EQ(f.sweep_power, r.sweep_power);
    ASSERT_EQ(f.header, r.header);
    ASSERT_EQ(static_cast<int>(owner_.spectrogram_points.size()), r.spectrogram_updates);
    ASSERT_EQ(static_cast<int>(owner_.histogram_points.size()), r.histogram_updates);
    for (int m = 0; m < kMarkerCount; ++m) {
      SCOPED_TRACE("marker " + std::to_string(m));
      const MarkerRecord& a = f.markers[m];
      const ref::Marker& b = r.markers[m];
      ASSERT_EQ(a.a_frequency, b.a_frequency);
      ASSERT_EQ(a.b_frequency, b.b_frequency);
      ASSERT_EQ(a.a_level, b.a_level);
      ASSERT_EQ(a.b_level, b.b_level);
      ASSERT_EQ(a.band_sum, b.band_sum);
      ASSERT_EQ(a.band_power, b.band_power);
    }
    for (int i = 0; i < compare_points_; ++i) {
      SCOPED_TRACE("point " + std::to_string(i));
      ASSERT_EQ(f.live_levels[i], r.levels[i]);
      ASSERT_EQ(f.live_sixteenths[i], r.sixteenths[i]);
      ASSERT_EQ(f.live_y[i], r.live_y[i]);
      ASSERT_EQ(f.average_y[i], r.average_y[i]);
      ASSERT_EQ(f.histogram_counts[i], r.histogram[i]);
      for (int k = 0; k < kTraceSlots; ++k) {
        ASSERT_EQ(f.peaks[k].y[i], r.peaks[k].y[i]);
        ASSERT_EQ(f.frozen_live[k].y[i], r.frozen_live[k].y[i]);
        ASSERT_EQ(f.frozen_live[k].sixteenths[i], r.frozen_live[k].sixteenths[i]);
        ASSERT_EQ(f.frozen_average[k].y[i], r.frozen_average[k].y[i]);
      }
      if (!histories) continue;
      for (int j = 0; j < kHistoryDepth; ++j) {
        ASSERT_EQ(f.AverageHistoryAt(i, j), r.average_history[i][j]) << "slot " << j;
        ASSERT_EQ(f.spectrogram_history().At(i, j), r.spectrogram[i][j]) << "slot " << j;
      }
    }
  }

  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  uint32_t Pick(const std::vector<uint32_t>& v) {
    return v[Uniform(0, static_cast<int>(v.size()) - 1)];
  }

  testing::FakeTraceOwner owner_;
  std::unique_ptr<TraceData> fast_ = std::make_unique<TraceData>(&owner_);
  std::unique_ptr<ref::Record> model_ = std::make_unique<ref::Record>();
  std::mt19937 rng_;
  RunOptions options_;
  PlotRect plot_{0, 0, 900, 400};
  uint32_t start_ = 48000;
  uint32_t points_ = 1;
  int16_t reference_level_ = -20;
  int32_t compare_points_ = 0;
};

TEST_F(TraceEquivalence, NormalOrderWithPageActions) {
  Run({.seed = 11, .sweeps = 200, .point_counts = {40, 97, 1, 2}, .allow_reverse = false});
}

TEST_F(TraceEquivalence, NormalAndReverseOrderMixed) {
  Run({.seed = 23, .sweeps = 200, .point_counts = {64, 31, 5}});
}

TEST_F(TraceEquivalence, AverageWindowGrowsToFullDepthAndShrinks) {
  Run({.seed = 37,
       .sweeps = 260,
       .point_counts = {23},
       .allow_reverse = false,
       .max_average = 100});
}

TEST_F(TraceEquivalence, ManySeedsShortRuns) {
  for (uint32_t seed = 100; seed < 112 && !HasFailure(); ++seed) {
    fast_ = std::make_unique<TraceData>(&owner_);
    model_ = std::make_unique<ref::Record>();
    owner_ = testing::FakeTraceOwner{};
    compare_points_ = 0;
    Run({.seed = seed, .sweeps = 40, .point_counts = {17, 3, 50}});
  }
}

}  // namespace
}  // namespace qv
