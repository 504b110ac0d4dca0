#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/histogram_axis.h"
#include "gui/app/form_view.h"
#include "gui/display/display.h"
#include "gui/display/histogram_bars.h"
#include "gui/display/histogram_dialog.h"
#include "gui/link/connection_sheet.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

// Rows of column x, counted up from the bottom, that differ from the background.
int BarHeight(const QImage& image, int x) {
  int height = 0;
  for (int y = image.height() - 1; y >= 0; --y) {
    if (image.pixel(x, y) == kHistogramBackground) break;
    ++height;
  }
  return height;
}

QRgb GradientPixel(const CGradient& gradient, int level) {
  const uint32_t c = gradient.Colour(level);
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

CGradient DefaultHistogramGradient() {
  CGradient g;
  g.SetHistogram(-20, -80);
  return g;
}

TEST(HistogramBarsTest, HeightsFollowCountOverCounterAndColoursFollowLiveLevels) {
  const CGradient gradient = DefaultHistogramGradient();
  QImage image(101, 40, QImage::Format_RGB32);
  // Five points in the middle of five steps of 20.2 columns: 10, 30, 50, 70 and 90.
  const std::vector<int16_t> counts = {4, 3, 0, 2, 1};
  const std::vector<int16_t> levels = {-25, -40, -60, 5, -200};
  PaintHistogramBars(image, 5, 4, counts.data(), levels.data(), HistogramColourTable(gradient));

  EXPECT_EQ(BarHeight(image, 10), 40);
  EXPECT_EQ(BarHeight(image, 30), 30);
  EXPECT_EQ(BarHeight(image, 50), 0);
  EXPECT_EQ(BarHeight(image, 70), 20);
  EXPECT_EQ(BarHeight(image, 90), 10);
  // Three pixels wide, centred on the point's column.
  EXPECT_EQ(BarHeight(image, 29), 30);
  EXPECT_EQ(BarHeight(image, 31), 30);
  EXPECT_EQ(BarHeight(image, 32), 0);
  EXPECT_EQ(BarHeight(image, 0), 0);
  EXPECT_EQ(BarHeight(image, 100), 0);

  EXPECT_EQ(image.pixel(30, 39), GradientPixel(gradient, -40));
  EXPECT_EQ(image.pixel(10, 0), GradientPixel(gradient, -25));
  EXPECT_EQ(image.pixel(10, 0), qRgb(255, 85, 0));  // 5 dB below the top of 15 dB steps
  // Levels beyond the gradient's range take the colour of its ends; above the scale is black.
  EXPECT_EQ(image.pixel(70, 39), GradientPixel(gradient, 0));
  EXPECT_EQ(image.pixel(70, 39), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(90, 39), GradientPixel(gradient, -120));
}

TEST(HistogramBarsTest, LaterPointsCoverEarlierOnesWhereBarsOverlap) {
  CGradient gradient = DefaultHistogramGradient();
  QImage image(10, 20, QImage::Format_RGB32);
  // Ten points on ten columns: neighbours overlap by two columns.
  std::vector<int16_t> counts(10, 0);
  std::vector<int16_t> levels(10, -30);
  counts[4] = 10;  // full height, red-ish
  counts[5] = 5;   // half height, drawn later
  levels[5] = -75;
  PaintHistogramBars(image, 10, 10, counts.data(), levels.data(), HistogramColourTable(gradient));
  // Column 5 belongs to both bars (points 4 and 5 stand on columns 4 and 5).
  EXPECT_EQ(image.pixel(5, 19), GradientPixel(gradient, -75));
  EXPECT_EQ(image.pixel(5, 0), GradientPixel(gradient, -30));
  EXPECT_EQ(image.pixel(5, 9), GradientPixel(gradient, -30));
  EXPECT_EQ(image.pixel(5, 10), GradientPixel(gradient, -75));
}

TEST(HistogramBarsTest, DegenerateInputsDrawSafely) {
  const auto colours = HistogramColourTable(DefaultHistogramGradient());
  QImage image(21, 10, QImage::Format_RGB32);
  const int16_t one_count[] = {1};
  const int16_t one_level[] = {-30};
  // One point: a single full bar in the middle.
  PaintHistogramBars(image, 1, 1, one_count, one_level, colours);
  EXPECT_EQ(BarHeight(image, 10), 10);
  EXPECT_EQ(BarHeight(image, 0), 0);
  EXPECT_EQ(BarHeight(image, 20), 0);
  // No sweep counted: nothing but background.
  PaintHistogramBars(image, 1, 0, one_count, one_level, colours);
  EXPECT_EQ(BarHeight(image, 10), 0);
  // Counts beyond the counter or negative stay within the picture.
  const int16_t odd_counts[] = {30, -5};
  const int16_t levels[] = {-30, -30};
  PaintHistogramBars(image, 2, 3, odd_counts, levels, colours);
  EXPECT_EQ(BarHeight(image, 5), 10);
  EXPECT_EQ(BarHeight(image, 15), 0);
}

// The histogram of a whole graph, fed sweeps as the Receiver sends them.
class HistogramWindowTest : public ::testing::Test {
 protected:
  HistogramWindowTest() {
    view_.resize(1100, 800);
    view_.show();
    view_.Connection().Ops().SetLink(kSerialInterface, &link_);
    view_.Connection().SelectInterface(kSerialInterface);
    view_.Connection().State().connected = 1;
  }
  ~HistogramWindowTest() override { view_.Connection().Ops().SetLink(kSerialInterface, nullptr); }

  CHistogramDlg& dialog() { return view_.Display().Histogram(); }
  const TraceData& trace() { return view_.Display().Trace(); }

  // One whole sweep of four points at these whole-dBm levels.
  void Sweep(std::vector<int16_t> levels) {
    for (int16_t& l : levels) l = static_cast<int16_t>(l * 16);
    SweepHeader h;
    h.start = 48000;
    h.sweep_word = sweep_word_;
    h.points = static_cast<uint32_t>(levels.size());
    h.block_frequency = 48000;
    const Bytes m = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
    view_.Display().OnReceiverMessage(
        QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size())));
  }
  void Click(int id) {
    auto* button = qobject_cast<QPushButton*>(dialog().Control(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }
  QString Text(int id) {
    QWidget* w = dialog().Control(id);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    return QStringLiteral("<none>");
  }
  int Height(int point) {
    const QImage& p = dialog().Picture();
    return BarHeight(p, StepColumn(point, 4, p.width()));
  }

  ManualClock clock_;
  RecordingAlerts alerts_;
  CQuorvalinFormView view_{clock_, alerts_};
  FakeLink link_;
  uint16_t sweep_word_ = 1;
};

// Under the bars, the graph's frequency axis, as wide as the bars' frame: the four points share
// it from the sweep's start to its stop (four 5 MHz steps), every line labelled in tenths.
TEST_F(HistogramWindowTest, FrequencyAxisUnderTheBarsSpansStartToStop) {
  sweep_word_ = 100;
  dialog().resize(900, 500);
  dialog().show();
  for (int n = 0; n < 3; ++n) Sweep({-30, -30, -30, -30});
  QWidget* frame = dialog().Control(CHistogramDlg::kPictureFrame);
  auto* axis = dialog().findChild<QWidget*>(QStringLiteral("histogramAxis"));
  ASSERT_NE(axis, nullptr);
  EXPECT_EQ(axis->x(), frame->x());
  EXPECT_EQ(axis->width(), frame->width());
  EXPECT_GE(axis->y(), frame->y() + frame->height());

  const std::vector<AxisLabel> labels = dialog().FrequencyLabels();
  ASSERT_EQ(labels.size(), 11u);
  for (const AxisLabel& label : labels) {
    EXPECT_EQ(label.text, std::to_string(2400 + 2 * label.grid_line));  // whole MHz, no decimals
    EXPECT_GE(label.left, 0);
    EXPECT_LE(label.left + label.width, axis->width());
  }
  // Each label is drawn where the layout put it.
  const QImage row = axis->grab().toImage();
  const QRgb background = axis->palette().color(QPalette::Window).rgb();
  for (const AxisLabel& label : labels) {
    int ink = 0;
    for (int x = label.left; x < label.left + label.width && x < row.width(); ++x)
      for (int y = 3; y < row.height(); ++y) ink += row.pixel(x, y) != background;
    EXPECT_GT(ink, 0) << label.text;
  }
}

TEST_F(HistogramWindowTest, CaptionLabelsAndInitialTexts) {
  EXPECT_EQ(dialog().windowTitle(), QStringLiteral("Histogram Display"));
  EXPECT_FALSE(dialog().isModal());
  EXPECT_EQ(Text(CHistogramDlg::kThresholdEdit), QStringLiteral("-80"));
  EXPECT_EQ(Text(CHistogramDlg::kThresholdLabel), QStringLiteral("-80 dBm"));
  EXPECT_EQ(Text(CHistogramDlg::kScaleTopLabel), QStringLiteral("-20 dBm"));
  auto* reset = qobject_cast<QPushButton*>(dialog().Control(CHistogramDlg::kResetButton));
  ASSERT_NE(reset, nullptr);
  EXPECT_EQ(reset->text(), QStringLiteral("Reset "));
  QStringList texts;
  for (QLabel* label : dialog().findChildren<QLabel*>()) texts << label->text();
  for (const char* t : {"100 %", "75 %", "50 %", "25%", "0 %"})
    EXPECT_TRUE(texts.contains(QString::fromLatin1(t))) << t;
  EXPECT_TRUE(texts.contains(QStringLiteral(
      "The above Histogram displays the percent of the total sweeps a spectral frequency "
      "component is above the Power Threshold which can be set below. Clicking \"Reset\" will "
      "dislay the Spectrogram relative to the current trace")));
}

TEST_F(HistogramWindowTest, BarsReachNMinusOneOverNAndNothingAboveEveryLevel) {
  dialog().show();
  const int h = dialog().Picture().height();
  ASSERT_GT(h, 0);
  constexpr int kSweeps = 5;
  // Points 0 and 2 always reach the threshold, point 1 never, point 3 from the third sweep on.
  for (int n = 1; n <= kSweeps; ++n) Sweep({-30, -81, -80, static_cast<int16_t>(n >= 3 ? -50 : -90)});
  EXPECT_EQ(dialog().SweepCounter(), kSweeps);
  // The counts of the newest sweep arrive after its update.
  EXPECT_EQ(Height(0), h * (kSweeps - 1) / kSweeps);
  EXPECT_EQ(Height(1), 0);
  EXPECT_EQ(Height(2), h * (kSweeps - 1) / kSweeps);
  EXPECT_EQ(Height(3), h * 2 / kSweeps);
  EXPECT_EQ(dialog().Picture().pixel(StepColumn(0, 4, dialog().Picture().width()), h - 1),
            GradientPixel(dialog().Gradient(), -30));

  // A threshold above every level: from a reset on, no bar rises.
  for (int k = 0; k < 60; ++k) Click(CHistogramDlg::kRaiseButton);
  EXPECT_EQ(dialog().Threshold(), -20);
  Click(CHistogramDlg::kResetButton);
  for (int n = 0; n < 3; ++n) Sweep({-30, -81, -80, -50});
  for (int point = 0; point < 4; ++point) EXPECT_EQ(Height(point), 0) << point;
}

TEST_F(HistogramWindowTest, LoweringTheThresholdCountsOnlyLaterSweeps) {
  dialog().show();
  const int h = dialog().Picture().height();
  for (int n = 0; n < 3; ++n) Sweep({-85, -85, -85, -85});
  EXPECT_EQ(trace().histogram_counts[0], 0);
  for (int k = 0; k < 5; ++k) Click(CHistogramDlg::kLowerButton);
  EXPECT_EQ(dialog().Threshold(), -85);
  EXPECT_EQ(trace().histogram_counts[0], 0);  // nothing recounted
  Sweep({-85, -85, -85, -85});
  Sweep({-85, -85, -85, -85});
  EXPECT_EQ(trace().histogram_counts[0], 2);
  EXPECT_EQ(dialog().SweepCounter(), 5);
  EXPECT_EQ(Height(0), h * 1 / 5);
}

TEST_F(HistogramWindowTest, ResetStartsTheNextUpdateAtACounterOfOne) {
  dialog().show();
  for (int n = 0; n < 4; ++n) Sweep({-30, -30, -30, -30});
  EXPECT_GT(Height(0), 0);
  Click(CHistogramDlg::kResetButton);
  EXPECT_EQ(trace().sweep_counter, 0);
  EXPECT_EQ(trace().histogram_counts[0], 0);
  Sweep({-30, -30, -30, -30});
  EXPECT_EQ(dialog().SweepCounter(), 1);
  EXPECT_EQ(Height(0), 0);  // the counts since the reset: none yet
  Sweep({-30, -30, -30, -30});
  EXPECT_EQ(dialog().SweepCounter(), 2);
  EXPECT_EQ(Height(0), dialog().Picture().height() / 2);
}

TEST_F(HistogramWindowTest, HiddenWindowDrawsTheLatestCopyWhenShown) {
  ASSERT_FALSE(dialog().isVisible());
  for (int n = 0; n < 3; ++n) Sweep({-30, -30, -30, -30});
  dialog().show();
  const int h = dialog().Picture().height();
  EXPECT_EQ(Height(0), h * 2 / 3);
}

TEST_F(HistogramWindowTest, ReferenceLevelRescalesUntilTheNextThresholdChange) {
  dialog().show();
  for (int n = 0; n < 3; ++n) Sweep({-45, -45, -45, -45});
  dialog().SetReferenceLevel(-40);
  EXPECT_EQ(Text(CHistogramDlg::kScaleTopLabel), QStringLiteral("-40 dBm"));
  EXPECT_EQ(dialog().Gradient().max(), -40);
  EXPECT_EQ(dialog().Gradient().min(), -80);
  EXPECT_EQ(dialog().Gradient().mode(), CGradient::kHistogramMode);
  // The bars on screen take the new colours at once.
  const int bottom = dialog().Picture().height() - 1;
  const int first = StepColumn(0, 4, dialog().Picture().width());
  EXPECT_EQ(dialog().Picture().pixel(first, bottom), GradientPixel(dialog().Gradient(), -45));

  Click(CHistogramDlg::kRaiseButton);
  EXPECT_EQ(dialog().Gradient().max(), -20);  // the stored top, not the reference level
  EXPECT_EQ(dialog().Gradient().min(), -79);
  EXPECT_EQ(Text(CHistogramDlg::kThresholdEdit), QStringLiteral("-79"));
  EXPECT_EQ(Text(CHistogramDlg::kThresholdLabel), QStringLiteral("-79 dBm"));
  EXPECT_EQ(dialog().Picture().pixel(first, bottom), GradientPixel(dialog().Gradient(), -45));
}

}  // namespace
}  // namespace qv
