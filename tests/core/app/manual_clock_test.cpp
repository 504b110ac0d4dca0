#include "core/app/manual_clock.h"

#include "core/app/frame_pacer.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

TEST(ManualClock, FiresPeriodicAndSingleShotTimersInDeadlineOrder) {
  ManualClock clock;
  std::string log;
  auto every_second = clock.CreateTimer();
  auto once = clock.CreateTimer();
  every_second->SetCallback([&] { log += "P" + std::to_string(clock.Now()) + " "; });
  once->SetCallback([&] { log += "S" + std::to_string(clock.Now()) + " "; });
  every_second->Start(1000);
  once->Start(1500, /*single_shot=*/true);

  clock.Advance(3000);
  EXPECT_EQ(log, "P1000 S1500 P2000 P3000 ");
  EXPECT_TRUE(every_second->IsActive());
  EXPECT_FALSE(once->IsActive());
}

TEST(ManualClock, RestartFromCallbackAndDestructionAreSafe) {
  ManualClock clock;
  int fired = 0;
  auto timer = clock.CreateTimer();
  // Restarting inside the callback pushes the next deadline out, as QTimer::start does.
  timer->SetCallback([&] {
    ++fired;
    timer->Start(5000, true);
  });
  timer->Start(1000, true);
  clock.Advance(5999);
  EXPECT_EQ(fired, 1);
  clock.Advance(1);
  EXPECT_EQ(fired, 2);

  timer.reset();
  clock.Advance(100000);  // a destroyed timer must not be touched
  EXPECT_EQ(fired, 2);
}

TEST(ManualClock, TimerOutlivingTheClockIsInert) {
  std::unique_ptr<Timer> timer;
  {
    ManualClock clock;
    timer = clock.CreateTimer();
    timer->Start(10);
  }
  timer->Stop();
  SUCCEED();
}

// The pacer on virtual time: a slow stream paints each change at once and arms no timer; a
// burst inside a frame shares one paint at the frame's end; a frame after the burst is quiet.
TEST(FramePacer, PaintsSlowChangesAtOnceAndABurstOncePerFrame) {
  ManualClock clock;
  std::string paints;
  FramePacer* self = nullptr;
  FramePacer pacer(clock, [&] {
    paints += std::to_string(clock.Now()) + " ";
    self->Painted();
  });
  self = &pacer;
  for (int block = 0; block < 3; ++block) {
    pacer.Invalidate();
    clock.Advance(20);
  }
  EXPECT_EQ(paints, "0 20 40 ");

  paints.clear();
  pacer.Invalidate();  // 20 ms after the last paint: at once
  clock.Advance(5);
  pacer.Invalidate();
  clock.Advance(5);
  pacer.Invalidate();
  EXPECT_EQ(paints, "60 ");
  clock.Advance(100);
  EXPECT_EQ(paints, "60 77 ");
  EXPECT_FALSE(pacer.Dirty());
}

}  // namespace
}  // namespace qv
