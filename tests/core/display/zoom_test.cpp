#include "core/display/zoom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class NullGraph : public GraphSteps {
 public:
  void ResetTraces() override { ++resets; }
  void ClearModeFlags() override {}
  void StartTriggerClock() override {}
  void ClearAreaSelected() override {}
  SweepWindow CurrentSweep() const override { return {}; }
  int resets = 0;
};

class ZoomTest : public ::testing::Test {
 protected:
  ZoomTest() {
    ops.SetLink(kSerialInterface, &link);
    receiver.interface_index = kSerialInterface;
    receiver.connected = 1;
    receiver.working = SpectrumSettings{48000, 1000, 1, 1600};
    state.selection.start_frequency = 2410.0f;
    state.selection.end_frequency = 2430.0f;
    state.area_selected = true;
  }

  // The set-spectrum frames sent, without the reference level that follows each.
  std::vector<Bytes> SpectrumFrames() const {
    std::vector<Bytes> frames;
    for (const Bytes& b : link.sent) {
      if (!b.empty() && b[0] == 0x04) frames.push_back(b);
    }
    return frames;
  }

  FakeLink link;
  ReceiverState receiver;
  RecordingAlerts alerts;
  NullGraph graph;
  CConnectionOps ops{receiver, alerts, graph};
  DisplayState state;
  const SweepWindow on_screen{48000, 1000};
};

TEST_F(ZoomTest, InSendsTheSelectionAndOutRestoresTheSavedScreen) {
  EXPECT_TRUE(ZoomIn(state, on_screen, ops));
  EXPECT_EQ(link.sent, (std::vector<Bytes>{{0x04, 0x48, 0xBC, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00,
                                            0x01, 0x00, 0x40, 0x06},
                                           {0x07, 0xEC, 0xFF}}));
  EXPECT_EQ(state.zoom_depth, 1);
  EXPECT_EQ(state.zoom_start[1], 48000u);
  EXPECT_EQ(state.zoom_span[1], 1000u);
  EXPECT_FALSE(state.area_selected);
  EXPECT_EQ(receiver.working, (SpectrumSettings{48200, 400, 1, 1600}));
  EXPECT_EQ(graph.resets, 1);

  link.sent.clear();
  EXPECT_TRUE(ZoomOut(state, ops));
  EXPECT_EQ(SpectrumFrames(), (std::vector<Bytes>{{0x04, 0x80, 0xBB, 0x00, 0x00, 0xE8, 0x03, 0x00,
                                                   0x00, 0x01, 0x00, 0x40, 0x06}}));
  EXPECT_EQ(state.zoom_depth, 0);
  EXPECT_TRUE(state.area_selected);  // the previous selection shows again
}

TEST_F(ZoomTest, RightToLeftSelectionZoomsOntoTheSameBand) {
  std::swap(state.selection.start_frequency, state.selection.end_frequency);
  EXPECT_TRUE(ZoomIn(state, on_screen, ops));
  EXPECT_EQ(receiver.working, (SpectrumSettings{48200, 400, 1, 1600}));
}

TEST_F(ZoomTest, ZeroWidthSelectionSendsNothing) {
  state.selection.end_frequency = state.selection.start_frequency;
  EXPECT_FALSE(ZoomIn(state, on_screen, ops));
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(state.zoom_depth, 0);
  EXPECT_TRUE(state.area_selected);
}

TEST_F(ZoomTest, NineLevelsDeepAndBackEachRestoringItsOwnScreen) {
  for (int level = 1; level <= kMaxZoomDepth; ++level) {
    ASSERT_TRUE(ZoomIn(state, SweepWindow{48000u + level, 1000u - level}, ops));
    EXPECT_EQ(state.zoom_depth, level);
  }
  EXPECT_TRUE(state.zoom_in_available);

  // A tenth step only marks zooming in as unavailable.
  link.sent.clear();
  EXPECT_FALSE(ZoomIn(state, on_screen, ops));
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(state.zoom_depth, kMaxZoomDepth);
  EXPECT_FALSE(state.zoom_in_available);

  for (int level = kMaxZoomDepth; level >= 1; --level) {
    ASSERT_TRUE(ZoomOut(state, ops));
    EXPECT_EQ(receiver.working.start, 48000u + level);
    EXPECT_EQ(receiver.working.span, 1000u - level);
    EXPECT_EQ(state.zoom_depth, level - 1);
  }

  // One more step out only makes zooming in available again.
  link.sent.clear();
  state.zoom_in_available = false;
  EXPECT_FALSE(ZoomOut(state, ops));
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(state.zoom_depth, 0);
  EXPECT_TRUE(state.zoom_in_available);
}

TEST_F(ZoomTest, FailedSendKeepsTheSelectionAndTheLevelToReturnTo) {
  link.accept = false;
  EXPECT_FALSE(ZoomIn(state, on_screen, ops));
  EXPECT_TRUE(state.area_selected);
  EXPECT_EQ(state.zoom_depth, 1);  // the level is taken before the send

  EXPECT_FALSE(ZoomOut(state, ops));
  EXPECT_EQ(state.zoom_depth, 1);
  link.accept = true;
  state.area_selected = false;
  EXPECT_TRUE(ZoomOut(state, ops));
  EXPECT_EQ(state.zoom_depth, 0);
  EXPECT_EQ(receiver.working.start, 48000u);
}

}  // namespace
}  // namespace qv
