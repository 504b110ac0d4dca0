#include "core/app/manual_clock.h"

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

}  // namespace
}  // namespace qv
