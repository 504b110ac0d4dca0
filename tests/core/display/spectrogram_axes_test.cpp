#include "core/display/spectrogram_axes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/display/spectrogram_history.h"

namespace qv {
namespace {

// The history marks exactly the slots that hold a sweep, through resets, ageing either way and
// partial sweeps, and the waterfall's empty rows are those of the unmarked slots.
TEST(SpectrogramAxesTest, HistoryKnowsWhichRowsHoldASweep) {
  auto history = std::make_unique<SpectrogramHistory>();
  const auto count = [&] {
    int filled = 0;
    for (uint8_t mark : history->FilledSlots()) filled += mark;
    return filled;
  };
  EXPECT_EQ(count(), 0);  // never written: nothing to show
  const int16_t levels[10] = {-50, -50, -50, -50, -50, -50, -50, -50, -50, -50};
  history->Shift(10, false);  // the first block closes an empty sweep
  EXPECT_EQ(count(), 0);
  history->WriteRange(0, 4, levels, false);  // part of the first sweep
  EXPECT_EQ(history->FilledSlots()[0], 1);
  for (int sweep = 1; sweep < 3; ++sweep) {
    history->Shift(10, false);
    history->WriteRange(0, 10, levels, false);
  }
  EXPECT_EQ(count(), 3);
  EXPECT_EQ(history->FilledSlots()[2], 1);
  EXPECT_EQ(history->FilledSlots()[3], 0);
  history->Shift(0, false);  // no points: nothing ages
  EXPECT_EQ(count(), 3);

  const GraphRect waterfall{10, 20, 310, 120};  // 100 rows: row 20 + 99 - s shows slot s
  std::optional<RowSpan> empty = EmptyRows(waterfall, history->FilledSlots());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->first, 20);
  EXPECT_EQ(empty->last, 20 + 99 - 3);

  history->Fill(10, -91);  // a reset: the whole waterfall is empty again
  EXPECT_EQ(count(), 0);
  empty = EmptyRows(waterfall, history->FilledSlots());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->last - empty->first, 99);

  // Played backwards the newest sweep is slot 99, at the top; the empty rows are below it.
  history->Shift(10, true);
  history->Write(3, -40, true);
  EXPECT_EQ(history->FilledSlots()[99], 1);
  history->Shift(10, true);
  history->WriteRange(0, 10, levels, true);
  EXPECT_EQ(count(), 2);
  empty = EmptyRows(waterfall, history->FilledSlots());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->first, 22);
  EXPECT_EQ(empty->last, 119);
  for (int sweep = 0; sweep < kHistoryDepth; ++sweep) {
    history->Shift(10, false);
    history->WriteRange(0, 10, levels, false);
  }
  EXPECT_FALSE(EmptyRows(waterfall, history->FilledSlots()));
}

// A 1280 x 800 window's spectrogram: room for every axis, labels that read the right values
// and never run into each other, and the plain waterfall when the axes are off or do not fit.
TEST(SpectrogramAxesTest, LayoutAndLabelsOfAWindowFullOfAxes) {
  const int cw = 7;
  const int line = 16;
  EXPECT_EQ(LayOutSpectrogram(600, 300, cw, line, false).waterfall.right, 600);
  EXPECT_FALSE(LayOutSpectrogram(90, 60, cw, line, true).axes);
  const SpectrogramLayout layout = LayOutSpectrogram(600, 300, cw, line, true);
  ASSERT_TRUE(layout.axes);
  const GraphRect& w = layout.waterfall;
  const GraphRect& bar = layout.colour_bar;
  EXPECT_GE(w.left, 3 * cw);
  EXPECT_EQ(w.top, line + line / 2);  // a label centred on the top row clears the captions
  EXPECT_LE(w.bottom + line, 300);
  EXPECT_GT(bar.left, w.right);
  EXPECT_EQ(bar.top, w.top);
  EXPECT_EQ(bar.bottom, w.bottom);
  EXPECT_LE(layout.scale_labels + 4 * cw, 600);

  // 2400 ... 2483.30 MHz over 1666 points: start to stop as on the graph, each column showing
  // the point whose step holds its middle.
  const auto freq = LayOutWaterfallFrequencies(w, 48000, 1, 1666, cw, 4 * cw, bar.left);
  ASSERT_GE(freq.size(), 3u);
  EXPECT_EQ(freq.front().text, "2400.0");
  EXPECT_EQ(freq.back().text, "2483.3");
  // Three points over ten columns: 0 0 0 1 1 1 1 2 2 2 (where each column's middle x + 0.5 lies).
  for (int32_t x = 0; x < 10; ++x) {
    EXPECT_EQ(ColumnStep(x, 10, 3), x < 3 ? 0 : x < 7 ? 1 : 2) << x;
  }
  EXPECT_EQ(ColumnStep(0, 4, 1000), 125);
  EXPECT_LE(freq.back().left + freq.back().width, bar.left);
  for (size_t k = 1; k < freq.size(); ++k) {
    EXPECT_GE(freq[k].left, freq[k - 1].left + freq[k - 1].width + cw);
  }
  EXPECT_TRUE(LayOutWaterfallFrequencies(w, 48000, 1, 1, cw, 0, 600).empty());

  // Sweeps ago: 0 on the bottom row, rising up the side, far enough apart.
  const auto time = LayOutTimeAxis(w, false, line);
  ASSERT_GE(time.size(), 3u);
  EXPECT_EQ(time.front().text, "0");
  EXPECT_EQ(time.front().y, w.bottom - 1);
  for (size_t k = 1; k < time.size(); ++k) EXPECT_GE(time[k - 1].y - time[k].y, line * 3 / 2);
  const auto reversed = LayOutTimeAxis(w, true, line);
  EXPECT_EQ(reversed.front().y, w.top);

  // The colour scale: maximum on top, minimum at the bottom, round levels between, each label
  // the level its row is coloured with.
  const auto scale = LayOutColourScale(bar, -20, -80, line);
  ASSERT_GE(scale.size(), 3u);
  EXPECT_EQ(scale.front().text, "-20");
  EXPECT_EQ(scale.back().text, "-80");
  EXPECT_EQ(scale.back().y, bar.bottom - 1);
  for (size_t k = 1; k < scale.size(); ++k) {
    EXPECT_GE(scale[k].y - scale[k - 1].y, line * 3 / 2) << scale[k].text;
    EXPECT_EQ(ColourBarLevel(bar, -20, -80, scale[k].y), std::stoi(scale[k].text));
  }
  EXPECT_EQ(ColourBarLevel(bar, -20, -80, bar.top), -20);
  EXPECT_EQ(LayOutColourScale(bar, 0, 0, line).size(), 1u);
}

}  // namespace
}  // namespace qv
