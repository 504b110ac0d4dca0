#include "core/control/trigger_delay.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TriggerDelayUnits, ConvertsTo12Point5NsUnitsUpTo16Bits) {
  EXPECT_EQ(TriggerDelayUnits(0), uint16_t{0});
  EXPECT_EQ(TriggerDelayUnits(10), uint16_t{0x0320});
  EXPECT_EQ(TriggerDelayUnits(819), uint16_t{65520});
  EXPECT_EQ(TriggerDelayUnits(820), std::nullopt);
  // 65536 + 10 us would have its high bits cut to look like 10 us.
  EXPECT_EQ(TriggerDelayUnits(65546), std::nullopt);
  EXPECT_EQ(TriggerDelayUnits(4294967295u), std::nullopt);
}

}  // namespace
}  // namespace qv
