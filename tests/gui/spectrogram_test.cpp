#include "gui/display/spectrogram_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <memory>
#include <set>
#include <vector>

#include "core/display/average_history.h"
#include "core/display/spectrogram_axes.h"
#include "core/display/spectrogram_history.h"
#include "gui/display/waterfall.h"

namespace qv {
namespace {

constexpr int32_t kSlots = kHistoryDepth;

QRgb Expected(const CGradient& gradient, int level) {
  return GradientToRgb(gradient.Colour(level));
}

// Slot-major levels where every (point, slot) has its own level in -119 ... -20.
std::vector<int16_t> DistinctLevels(int32_t n) {
  std::vector<int16_t> rows(static_cast<size_t>(n) * kSlots);
  for (int32_t s = 0; s < kSlots; ++s)
    for (int32_t p = 0; p < n; ++p)
      rows[static_cast<size_t>(s) * n + p] = static_cast<int16_t>(-20 - (s + p * 7) % 100);
  return rows;
}

CGradient FullRange() {
  CGradient gradient;
  gradient.SetSpectrogram(0, -120);
  return gradient;
}

class SpectrogramDialogTest : public ::testing::Test {
 protected:
  SpectrogramDialogTest() {
    dialog_.SetClearHistory([this] { ++clears_; });
  }

  void Click(const char* name) {
    auto* button = dialog_.findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  void ClickTimes(const char* name, int times) {
    for (int i = 0; i < times; ++i) Click(name);
  }
  QString Field(const char* name) const {
    return dialog_.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  }

  CSpectrogramDialog dialog_;
  int clears_ = 0;
};

TEST_F(SpectrogramDialogTest, ButtonsKeepTenDecibelsAndStayWithinResetBounds) {
  EXPECT_EQ(dialog_.windowTitle(), "Spectrogram Display");
  EXPECT_EQ(Field("maximumPower"), "-20");
  EXPECT_EQ(Field("minimumPower"), "-80");

  ClickTimes("lowerMaximum", 200);
  EXPECT_EQ(dialog_.range().maximum(), -70);
  ClickTimes("raiseMinimum", 5);  // maximum - minimum = 10 blocks both inner buttons
  EXPECT_EQ(dialog_.range().minimum(), -80);
  EXPECT_EQ(Field("maximumPower"), "-70");

  // Before any reference level the reset values are 0: the minimum cannot go down and the
  // maximum rises no further than 0.
  ClickTimes("lowerMinimum", 3);
  EXPECT_EQ(dialog_.range().minimum(), -80);
  ClickTimes("raiseMaximum", 200);
  EXPECT_EQ(dialog_.range().maximum(), 0);
  ClickTimes("raiseMinimum", 200);
  EXPECT_EQ(dialog_.range().minimum(), -10);
  EXPECT_EQ(Field("minimumPower"), "-10");
  EXPECT_EQ(clears_, 0);
}

TEST_F(SpectrogramDialogTest, ReferenceLevelSetsRangeAndResetValuesAndClears) {
  dialog_.SetRange(-40, -140);
  EXPECT_EQ(clears_, 1);
  EXPECT_EQ(dialog_.range().maximum(), -40);
  EXPECT_EQ(dialog_.range().minimum(), -140);
  EXPECT_EQ(dialog_.range().reset_maximum(), -40);
  EXPECT_EQ(dialog_.range().reset_minimum(), -140);
  EXPECT_EQ(Field("maximumPower"), "-40");
  EXPECT_EQ(Field("minimumPower"), "-140");
  EXPECT_EQ(dialog_.range().gradient().max(), -40);
  EXPECT_EQ(dialog_.range().gradient().min(), -140);

  Click("raiseMaximum");
  Click("lowerMinimum");
  EXPECT_EQ(dialog_.range().maximum(), -40);
  EXPECT_EQ(dialog_.range().minimum(), -140);

  ClickTimes("lowerMaximum", 4);
  ClickTimes("raiseMinimum", 6);
  EXPECT_EQ(dialog_.range().gradient().max(), -44);
  EXPECT_EQ(dialog_.range().gradient().min(), -134);
  Click("resetDisplay");
  EXPECT_EQ(clears_, 2);
  EXPECT_EQ(dialog_.range().maximum(), -40);
  EXPECT_EQ(dialog_.range().minimum(), -140);
  EXPECT_EQ(Field("minimumPower"), "-140");
}

TEST_F(SpectrogramDialogTest, HiddenWindowKeepsTheNewestCopyUntilShown) {
  SpectrogramHistory history;
  history.Fill(50, -100);
  dialog_.Update(history, 50);
  history.Fill(50, -30);
  dialog_.Update(history, 50);  // replaces the copy not yet painted
  EXPECT_TRUE(dialog_.HasPendingCopy());

  dialog_.resize(400, 300);
  dialog_.show();
  dialog_.grab();  // paints through the frame's paint event, exposed or not
  EXPECT_FALSE(dialog_.HasPendingCopy());
  const QImage& picture = dialog_.picture();
  ASSERT_FALSE(picture.isNull());
  const QRgb newest = Expected(dialog_.range().gradient(), -30);
  EXPECT_EQ(picture.pixel(0, 0), newest);
  EXPECT_EQ(picture.pixel(picture.width() - 1, picture.height() - 1), newest);

  // A range change repaints the kept copy with the new colours.
  dialog_.SetRange(-10, -110);
  dialog_.grab();  // paints through the frame's paint event, exposed or not
  EXPECT_EQ(dialog_.picture().pixel(0, 0), Expected(dialog_.range().gradient(), -30));
  EXPECT_NE(dialog_.picture().pixel(0, 0), newest);
}

TEST_F(SpectrogramDialogTest, ReverseReplayShowsTheNewestSweepAtTheTop) {
  SpectrogramHistory history;
  history.Fill(20, -110);  // white under the default range
  // Three sweeps played backwards: age, then write the newest into slot 99.
  for (int16_t level : {-75, -50, -25}) {
    history.Shift(20, true);
    for (int32_t p = 0; p < 20; ++p) history.Write(p, level, true);
  }
  dialog_.resize(400, 300);
  dialog_.show();
  dialog_.Update(history, 20);
  dialog_.grab();  // paints through the frame's paint event, exposed or not
  const QImage& picture = dialog_.picture();
  const CGradient& gradient = dialog_.range().gradient();
  const int h = picture.height() - 1;
  EXPECT_EQ(picture.pixel(5, 0), Expected(gradient, -25));
  EXPECT_EQ(picture.pixel(5, h), Expected(gradient, -110));
  // Slots 98 and 97 hold the two sweeps before.
  int checked = 0;
  for (int y = 0; y <= h; ++y) {
    const int slot = ((h - y) * 99) / h;
    if (slot == 98) { EXPECT_EQ(picture.pixel(5, y), Expected(gradient, -50)) << y; }
    if (slot == 97) { EXPECT_EQ(picture.pixel(5, y), Expected(gradient, -75)) << y; }
    if (slot == 97 || slot == 98) ++checked;
  }
  EXPECT_GT(checked, 0);
}

// With the axes on, the waterfall sits inside them: rows of sweeps in their gradient colours,
// rows never written hatched in greys no level is given, the colour bar in the gradient's
// colours; off again, the picture is the plain waterfall.
TEST_F(SpectrogramDialogTest, AxesFrameTheWaterfallAndEmptyRowsShowNoData) {
  auto history = std::make_unique<SpectrogramHistory>();
  history->Fill(20, -91);
  const int16_t levels[20] = {-30, -30, -30, -30, -30, -30, -30, -30, -30, -30,
                              -30, -30, -30, -30, -30, -30, -30, -30, -30, -30};
  for (int sweep = 0; sweep < 3; ++sweep) {
    history->Shift(20, false);
    history->WriteRange(0, 20, levels, false);
  }
  dialog_.SetAxesShown(true);
  dialog_.SetSweepAxes(48000, 1, false);
  dialog_.resize(700, 400);
  dialog_.show();
  dialog_.Update(*history, 20);
  dialog_.grab();
  const QImage& picture = dialog_.picture();
  const QFontMetrics metrics(dialog_.font());
  const SpectrogramLayout layout =
      LayOutSpectrogram(picture.width(), picture.height(),
                        metrics.horizontalAdvance(QLatin1Char('0')), metrics.height(), true);
  ASSERT_TRUE(layout.axes);
  const GraphRect& w = layout.waterfall;
  const CGradient& gradient = dialog_.range().gradient();
  EXPECT_EQ(picture.pixel(w.left + 5, w.bottom - 1), Expected(gradient, -30));
  const std::set<QRgb> gradient_colours = [&] {
    std::set<QRgb> all;
    for (int level = -120; level <= 0; ++level) all.insert(Expected(gradient, level));
    return all;
  }();
  for (int x = w.left; x < w.left + 8; ++x) {
    EXPECT_EQ(gradient_colours.count(picture.pixel(x, w.top)), 0u) << x;
  }
  const GraphRect& bar = layout.colour_bar;
  for (int y = bar.top; y < bar.bottom; y += 7) {
    EXPECT_EQ(picture.pixel(bar.left + 3, y),
              Expected(gradient, ColourBarLevel(bar, -20, -80, y)));
  }

  dialog_.SetAxesShown(false);
  dialog_.grab();
  EXPECT_EQ(dialog_.picture().pixel(0, 0), Expected(gradient, -91));  // the fill, white
  EXPECT_EQ(dialog_.picture().pixel(0, dialog_.picture().height() - 1), Expected(gradient, -30));
}

TEST(WaterfallRenderTest, EveryPixelHasTheGradientColourOfItsPointAndSlot) {
  const int32_t n = 37;
  const auto rows = DistinctLevels(n);
  CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  QImage image(120, 80, QImage::Format_RGB32);
  RenderWaterfall(image, rows.data(), n, gradient);
  const int w = image.width() - 1;
  const int h = image.height() - 1;
  for (int y = 0; y <= h; ++y) {
    const int slot = ((h - y) * 99) / h;
    for (int x = 0; x <= w; ++x) {
      // Each column shows the point whose step holds its middle, as the graph's x axis does.
      const int point = ((2 * x + 1) * n) / (2 * image.width());
      ASSERT_EQ(image.pixel(x, y), Expected(gradient, rows[slot * n + point])) << x << "," << y;
    }
  }
  // The corners: the newest sweep's first and last points at the bottom, the oldest at the top.
  EXPECT_EQ(image.pixel(0, h), Expected(gradient, rows[0]));
  EXPECT_EQ(image.pixel(w, h), Expected(gradient, rows[n - 1]));
  EXPECT_EQ(image.pixel(w, 0), Expected(gradient, rows[99 * n + n - 1]));
}

TEST(WaterfallRenderTest, KnownLevelsGiveTheGradientsDocumentedColours) {
  std::vector<int16_t> rows(kSlots * 3);
  for (int s = 0; s < kSlots; ++s) {
    rows[s * 3 + 0] = -20;
    rows[s * 3 + 1] = -50;
    rows[s * 3 + 2] = -90;
  }
  CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  QImage image(3, 10, QImage::Format_RGB32);
  RenderWaterfall(image, rows.data(), 3, gradient);
  EXPECT_EQ(image.pixel(0, 5), qRgb(255, 252, 0));
  EXPECT_EQ(image.pixel(1, 5), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(2, 5), qRgb(255, 255, 255));
}

TEST(WaterfallRenderTest, LevelsOutsideTheTableAreClampedBeforeColouring) {
  const CGradient gradient = FullRange();
  std::vector<int16_t> rows(kSlots * 4);
  for (int s = 0; s < kSlots; ++s) {
    rows[s * 4 + 0] = 25;
    rows[s * 4 + 1] = 32767;
    rows[s * 4 + 2] = -121;
    rows[s * 4 + 3] = -32768;
  }
  QImage image(4, 4, QImage::Format_RGB32);
  RenderWaterfall(image, rows.data(), 4, gradient);
  ASSERT_NE(Expected(gradient, 0), qRgb(0, 0, 0));  // not the "above max" black
  ASSERT_NE(Expected(gradient, -120), qRgb(255, 255, 255));  // nor the "below min" white
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(image.pixel(0, y), Expected(gradient, 0));
    EXPECT_EQ(image.pixel(1, y), Expected(gradient, 0));
    EXPECT_EQ(image.pixel(2, y), Expected(gradient, -120));
    EXPECT_EQ(image.pixel(3, y), Expected(gradient, -120));
  }
}

TEST(WaterfallRenderTest, DegenerateSizesAndSinglePointStaySafe) {
  const CGradient gradient = FullRange();
  const auto rows = DistinctLevels(1);
  // One point: every column shows point 0.
  QImage wide(50, 20, QImage::Format_RGB32);
  RenderWaterfall(wide, rows.data(), 1, gradient);
  for (int x = 0; x < 50; ++x) EXPECT_EQ(wide.pixel(x, 19), Expected(gradient, rows[0]));
  EXPECT_EQ(wide.pixel(49, 0), Expected(gradient, rows[99]));

  // A one-pixel column's middle lies in the step of the middle point.
  const auto many = DistinctLevels(10);
  QImage dot(1, 1, QImage::Format_RGB32);
  RenderWaterfall(dot, many.data(), 10, gradient);
  EXPECT_EQ(dot.pixel(0, 0), Expected(gradient, many[5]));

  // No points: a cleared, white picture.
  QImage empty(8, 8, QImage::Format_RGB32);
  RenderWaterfall(empty, nullptr, 0, gradient);
  EXPECT_EQ(empty.pixel(7, 7), qRgb(255, 255, 255));
}

TEST(WaterfallRenderTest, RendererFollowsWidthAndPointChanges) {
  const CGradient gradient = FullRange();
  WaterfallRenderer renderer;
  renderer.SetGradient(gradient);
  const auto small = DistinctLevels(5);
  const auto large = DistinctLevels(300);
  QImage image(60, 30, QImage::Format_RGB32);
  renderer.Render(image, small.data(), 5);
  renderer.Render(image, large.data(), 300);
  EXPECT_EQ(image.pixel(59, 29), Expected(gradient, large[297]));  // five points a column
  QImage narrow(7, 30, QImage::Format_RGB32);
  renderer.Render(narrow, large.data(), 300);
  EXPECT_EQ(narrow.pixel(6, 29), Expected(gradient, large[278]));
  EXPECT_EQ(narrow.pixel(3, 29), Expected(gradient, large[150]));
}

TEST(SpectrogramHistoryCopyTest, SlotMajorCopyMatchesLogicalSlots) {
  SpectrogramHistory history;
  history.Fill(30, -100);
  for (int sweep = 0; sweep < 5; ++sweep) {
    history.Shift(30, false);
    // Only part of the sweep arrives, so the points' ring offsets differ.
    for (int32_t p = 0; p < 30; p += (sweep % 2) + 1)
      history.Write(p, static_cast<int16_t>(-10 * sweep - p), false);
  }
  std::vector<int16_t> copy(30 * kSlots);
  history.CopySlots(30, copy.data());
  for (int32_t p = 0; p < 30; ++p)
    for (int32_t s = 0; s < kSlots; ++s) ASSERT_EQ(copy[s * 30 + p], history.At(p, s));
}

}  // namespace
}  // namespace qv
