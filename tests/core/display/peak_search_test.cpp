#include "core/display/peak_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/display/frequency_axis.h"
#include "core/display/marker_step.h"

namespace qv {
namespace {

// Prominence the slow way: walk out from the peak on each side to the first higher point.
int Surroundings(const std::vector<int16_t>& v, int first, int last) {
  int side[2];
  for (int s = 0; s < 2; ++s) {
    int low = v[static_cast<size_t>(first)];
    for (int k = s == 0 ? first - 1 : last + 1; k >= 0 && k < static_cast<int>(v.size());
         k += s == 0 ? -1 : 1) {
      if (v[static_cast<size_t>(k)] > v[static_cast<size_t>(first)]) break;
      low = std::min<int>(low, v[static_cast<size_t>(k)]);
    }
    side[s] = low;
  }
  return std::max(side[0], side[1]);
}

// Whole dBm in the 1/16 dBm the search reads.
std::vector<int16_t> Sixteenths(std::vector<int16_t> dbm) {
  for (int16_t& level : dbm) level = static_cast<int16_t>(level * 16);
  return dbm;
}

// Walking Next Peak from the highest point visits every peak once, in falling order.
std::vector<int> Walk(const std::vector<int16_t>& v) {
  std::vector<int> visited;
  std::optional<int32_t> at = HighestPoint(v.data(), static_cast<int32_t>(v.size()));
  while (at) {
    visited.push_back(*at);
    at = NextPeak(v.data(), static_cast<int32_t>(v.size()), *at);
  }
  return visited;
}

TEST(PeakSearchTest, WalksPeaksThatStandOutInFallingOrder) {
  //                      0    1    2    3    4    5    6    7    8    9   10   11   12
  const std::vector<int16_t> v =
      Sixteenths({-60, -40, -50, -46, -48, -20, -47, -42, -42, -47, -44, -44, -95});
  // 5 (-20): 40 dB above the start's -60. 1 (-40): the higher side's low is -50 (toward 5),
  // the other -60: 10 dB. 3 (-46): 2 dB above -48. The flat 7-8 (-42): 5 dB above -47 (toward
  // 5; the end's -95 is lower). The flat 10-11 (-44): 3 dB above -47. Point 0 is no maximum.
  const auto walk = [&](int excursion) {
    std::vector<int> visited{5};
    for (auto at = NextPeak(v.data(), 13, 5, excursion); at;
         at = NextPeak(v.data(), 13, *at, excursion)) {
      visited.push_back(*at);
    }
    return visited;
  };
  EXPECT_EQ(walk(kPeakExcursionDb * 16), (std::vector<int>{5, 1}));
  EXPECT_EQ(walk(2 * 16), (std::vector<int>{5, 1, 7, 10, 3}));
  // From a point that is no peak (the flat's second point), the next peak below it.
  EXPECT_EQ(NextPeak(v.data(), 13, 11, 2 * 16), std::optional<int32_t>(3));
  EXPECT_EQ(NextPeak(v.data(), 13, 9, 2 * 16), std::optional<int32_t>());
  // Equal peaks go left to right; the flat top is one peak, at its first point.
  const std::vector<int16_t> twins = Sixteenths({-90, -30, -90, -30, -30, -90});
  EXPECT_EQ(Walk(twins), (std::vector<int>{1, 3}));
  // Bad input: empty, out of range.
  EXPECT_FALSE(HighestPoint(v.data(), 0));
  EXPECT_FALSE(NextPeak(v.data(), 14, 14));
  EXPECT_FALSE(NextPeak(v.data(), 14, -1));
  EXPECT_FALSE(NextPeak(nullptr, 14, 0));

  // Random traces of fractional levels against the slow definition.
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<int16_t> r(static_cast<size_t>(1 + rng() % 60));
    for (int16_t& level : r) level = static_cast<int16_t>(-1600 + static_cast<int>(rng() % 640));
    const int n = static_cast<int>(r.size());
    std::vector<int> expected;
    for (int i = 0; i < n; ++i) {
      if (i > 0 && r[i - 1] >= r[i]) continue;
      int end = i;
      while (end + 1 < n && r[end + 1] == r[i]) ++end;
      if (end + 1 < n && r[end + 1] > r[i]) continue;
      if (r[i] - Surroundings(r, i, end) >= kPeakExcursionDb * 16) expected.push_back(i);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int a, int b) { return r[a] > r[b]; });
    const int top = *HighestPoint(r.data(), n);
    // The highest point is always a peak unless the trace is flat within 6 dB.
    if (expected.empty() || expected.front() != top) expected.insert(expected.begin(), top);
    EXPECT_EQ(Walk(r), expected) << "round " << round;
  }
}

TEST(PeakSearchTest, FrequencyToPointAndMarkerPlacement) {
  // 2400 MHz start (48000 steps of 50 kHz), points 0.5 MHz apart, 101 points: 2400 ... 2450.
  EXPECT_EQ(PointAtFrequency(48000, 10, 101, 2425.0), 50);
  EXPECT_EQ(PointAtFrequency(48000, 10, 101, 2425.2), 50);
  EXPECT_EQ(PointAtFrequency(48000, 10, 101, 2425.3), 51);
  EXPECT_EQ(PointAtFrequency(48000, 10, 101, 2399.8), 0);
  EXPECT_EQ(PointAtFrequency(48000, 10, 101, 2450.2), 100);
  EXPECT_FALSE(PointAtFrequency(48000, 10, 101, 2399.7));
  EXPECT_FALSE(PointAtFrequency(48000, 10, 101, 2450.3));
  EXPECT_FALSE(PointAtFrequency(48000, 10, 101, std::nan("")));
  EXPECT_FALSE(PointAtFrequency(48000, 0, 101, 2425.0));

  const GraphGeometry g(GraphRect{0, 0, 1400, 800}, 101);
  std::vector<int16_t> levels(101, -90 * 16);
  levels[50] = -531;
  MarkerRecord m;
  PlaceMarkerA(m, g, 48000, 10, levels.data(), 50);
  EXPECT_EQ(m.a_x, g.X(50));
  EXPECT_EQ(g.PointAtX(m.a_x), 50);  // a click there would read the same point
  EXPECT_EQ(m.a_placed, 1);
  EXPECT_FLOAT_EQ(m.a_frequency, 2425.0f);
  EXPECT_EQ(m.a_level, -33.1875f);
  EXPECT_EQ(m.b_placed, 0);
  EXPECT_EQ(PeakMarkerIndex(0), 0);
  EXPECT_EQ(PeakMarkerIndex(3), 2);
}

TEST(FrequencyAxisTest, LabelsReadTheirLineAndNeverOverlap) {
  EXPECT_EQ(AxisDecimals(100.0), 0);
  EXPECT_EQ(AxisDecimals(83.5), 1);
  EXPECT_EQ(AxisDecimals(5.0), 2);
  // 2400 ... 2484 MHz over 168 points of 10 steps, at several plot widths.
  for (const int width : {300, 500, 800, 1280, 1920}) {
    const GraphGeometry g(GraphRect{0, 0, width, 600}, 168);
    const auto labels = LayOutFrequencyAxis(g, 48000, 10, 7, 66, width);
    ASSERT_GE(labels.size(), 2u) << width;
    EXPECT_EQ(labels.front().grid_line, 0);
    EXPECT_EQ(labels.back().grid_line, 10);
    EXPECT_EQ(labels.front().text, "2400.0");
    EXPECT_EQ(labels.back().text, "2484.0");
    EXPECT_GE(labels.front().left, 66);
    EXPECT_LE(labels.back().left + labels.back().width, width);
    for (size_t k = 0; k < labels.size(); ++k) {
      const AxisLabel& l = labels[k];
      EXPECT_EQ(l.width, 7 * static_cast<int>(l.text.size()));
      if (k > 0) { EXPECT_GE(l.left, labels[k - 1].left + labels[k - 1].width + 7) << width; }
      // Each reads what a selection on its line reads.
      EXPECT_DOUBLE_EQ(std::stod(l.text), AxisFrequencyAt(g, 48000, 10, g.GridX(l.grid_line)))
          << width;
    }
    if (width >= 1280) { EXPECT_EQ(labels.size(), 11u) << width; }
    if (width >= 1280) { EXPECT_EQ(labels[5].grid_line, 5); }
  }
  // 2400 ... 2450 MHz reads the legend's centre and the span's tenths at any width.
  for (const int width : {1280, 1600, 1001}) {
    const GraphGeometry g(GraphRect{0, 0, width, 600}, 1000);
    std::vector<std::string> texts;
    for (const AxisLabel& l : LayOutFrequencyAxis(g, 48000, 1, 7, 66, width)) {
      texts.push_back(l.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2400", "2405", "2410", "2415", "2420", "2425",
                                               "2430", "2435", "2440", "2445", "2450"}))
        << width;
  }
  EXPECT_TRUE(LayOutFrequencyAxis(GraphGeometry(GraphRect{0, 0, 800, 600}, 1), 0, 1, 7, 0, 800)
                  .empty());
}

}  // namespace
}  // namespace qv
