#include "core/control/form_view_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qv {
namespace {

using ::testing::ElementsAre;

TEST(ToolbarEnableRules, FollowTheMeasurementState) {
  ViewFlags idle;
  EXPECT_TRUE(CommandEnabled(kCmdEstablishConnection, idle));
  EXPECT_TRUE(CommandEnabled(kCmdPrint, idle));
  EXPECT_TRUE(CommandEnabled(kCmdReplay, idle));
  for (int command : {kCmdSnapshot, kCmdSelectDisplay, kCmdZoomIn, kCmdZoomOut, kCmdStartLogging,
                      kCmdPause, kCmdStop, kCmdFastForward, kCmdFastRewind, kCmdSpectrogram,
                      kCmdHistogram, kCmdInstantCapture}) {
    EXPECT_FALSE(CommandEnabled(command, idle)) << command;
  }

  ViewFlags live;
  live.connected = true;
  live.sweeps_arriving = true;
  for (int command : {kCmdSnapshot, kCmdSelectDisplay, kCmdStartLogging, kCmdSpectrogram,
                      kCmdHistogram, kCmdInstantCapture}) {
    EXPECT_TRUE(CommandEnabled(command, live)) << command;
  }

  ViewFlags playing;
  playing.playing_back = true;
  EXPECT_FALSE(CommandEnabled(kCmdEstablishConnection, playing));
  EXPECT_TRUE(CommandEnabled(kCmdPause, playing));
  EXPECT_TRUE(CommandEnabled(kCmdStop, playing));
  EXPECT_TRUE(CommandEnabled(kCmdFastRewind, playing));
  EXPECT_TRUE(CommandEnabled(kCmdSnapshot, playing));

  ViewFlags review;
  review.replay_drawing = true;
  EXPECT_TRUE(CommandEnabled(kCmdSnapshot, review));
  ViewFlags ended;  // a log played to its end keeps its last sweep, in sweep mode
  ended.sweeps_arriving = true;
  EXPECT_TRUE(CommandEnabled(kCmdSnapshot, ended));

  ViewFlags recording = live;
  recording.recording = true;
  EXPECT_FALSE(CommandEnabled(kCmdReplay, recording));
  EXPECT_TRUE(CommandEnabled(kCmdStop, recording));
}

TEST(ToolbarEnableRules, ZoomNeedsASelectionAndNoPlaybackOrCapture) {
  ViewFlags f;
  f.area_selected = true;
  EXPECT_FALSE(CommandEnabled(kCmdZoomIn, f));
  f.zoom_in_available = true;
  EXPECT_TRUE(CommandEnabled(kCmdZoomIn, f));
  f.capture_ready = true;
  EXPECT_FALSE(CommandEnabled(kCmdZoomIn, f));
  EXPECT_TRUE(CommandEnabled(kCmdFastForward, f));

  ViewFlags out;
  out.zoom_depth = 1;
  EXPECT_TRUE(CommandEnabled(kCmdZoomOut, out));
  out.playing_back = true;
  EXPECT_FALSE(CommandEnabled(kCmdZoomOut, out));
}

TEST(ToolbarState, StopResetsEverySwappedButton) {
  ToolbarState bar;
  bar.ShowSelectionMode(true);
  bar.ShowPlaying();
  bar.ShowFastForward(true);
  EXPECT_EQ(bar.Buttons()[6].command, kCmdPause);
  EXPECT_EQ(bar.Buttons()[6].image, 15);
  EXPECT_EQ(bar.Buttons()[2].image, 14);
  EXPECT_EQ(bar.Buttons()[8].image, 16);

  // Rewind takes over from forward.
  bar.ShowFastRewind(true);
  EXPECT_EQ(bar.Buttons()[8].image, 8);
  EXPECT_EQ(bar.Buttons()[9].image, 17);

  bar.ShowStopped();
  EXPECT_EQ(bar.Buttons()[2].command, kCmdSelectDisplay);
  EXPECT_EQ(bar.Buttons()[2].image, 2);
  EXPECT_EQ(bar.Buttons()[6].command, kCmdReplay);
  EXPECT_EQ(bar.Buttons()[6].image, 6);
  EXPECT_EQ(bar.Buttons()[8].image, 8);
  EXPECT_EQ(bar.Buttons()[9].image, 9);
}

TEST(ToolbarState, PauseOffersReplayAgain) {
  ToolbarState bar;
  bar.ShowPlaying();
  bar.ShowPaused();
  EXPECT_EQ(bar.Buttons()[6].command, kCmdReplay);
  EXPECT_EQ(bar.Buttons()[6].image, 6);
}

TEST(StatusTexts, InterfaceTextByLink) {
  EXPECT_EQ(InterfaceText(true, 0, ""), "Interface Type: Serial Port (COM3)");
  EXPECT_EQ(InterfaceText(true, 1, ""), "Interface Type: USB");
  EXPECT_EQ(InterfaceText(true, 2, "10.1.1.1"), "Interface Type: TCP/IP(Internet) 10.1.1.1");
  EXPECT_EQ(InterfaceText(true, 3, "10.1.1.2"), "Interface Type: TCP/IP(DHCP) 10.1.1.2");
  EXPECT_EQ(InterfaceText(true, 4, "10.1.1.3"), "Interface Type: TCP/IP(Static IP) 10.1.1.3");
  EXPECT_EQ(InterfaceText(false, 2, "10.1.1.1"), "Interface Type: Not Connected");
}

TEST(StatusTexts, RunningClockCountsSecondsIntoMinutes) {
  RunningClock clock;
  EXPECT_EQ(RunningClock::InitialText(), "Running Time: 0 mins, 0 secs");
  clock.Tick();
  EXPECT_EQ(clock.Text(), "Running Time: 0 mins 1 secs");
  for (int i = 1; i < 60; ++i) clock.Tick();
  EXPECT_EQ(clock.Text(), "Running Time: 1 mins 0 secs");
}

TEST(DeviceChangeRules, RemovalWithTheSheetClosedShowsTwoBoxesInARow) {
  const auto out = OnDeviceChange(DeviceChange::kRemovalComplete, true, "ttyUSB0", false, false);
  EXPECT_FALSE(out.serial_page_status);
  EXPECT_THAT(out.alerts,
              ElementsAre(AlertText{"CF Card has been removed,\n Please re-insert it back and "
                                    "Connect again",
                                    "CF Card Removal Alert !"},
                          AlertText{"CF Card has been removed", "CF Card Removal Alert !"}));
}

TEST(DeviceChangeRules, SheetOpenOnTheSerialPageUpdatesItsStatus) {
  auto out = OnDeviceChange(DeviceChange::kRemovalComplete, true, "ttyUSB0", true, true);
  EXPECT_EQ(out.serial_page_status, "CF Card not connected, Please check the CF card connection");
  EXPECT_EQ(out.alerts.size(), 1u);

  out = OnDeviceChange(DeviceChange::kArrival, true, "ttyUSB0", true, true);
  EXPECT_EQ(out.serial_page_status, "ttyUSB0");
  EXPECT_THAT(out.alerts,
              ElementsAre(AlertText{"CF Card has been inserted", "CF Card Insertion Alert !"}));

  // Any device at all is announced as a card.
  out = OnDeviceChange(DeviceChange::kArrival, false, "", false, false);
  EXPECT_FALSE(out.serial_page_status);
  EXPECT_EQ(out.alerts.size(), 1u);

  out = OnDeviceChange(DeviceChange::kOther, false, "", false, false);
  EXPECT_THAT(out.alerts,
              ElementsAre(AlertText{"Device Change Message has been received", "Alert!"}));
}

}  // namespace
}  // namespace qv
