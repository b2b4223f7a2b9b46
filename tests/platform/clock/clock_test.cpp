#include "platform/clock/clock.h"

#include <gtest/gtest.h>

TEST(Clock, ManualClockDrivesTimeAndSleepAndWraps) {
  {
    clockstandin::ManualClock clock(0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    Sleep(0x20);  // advances instead of waiting, and wraps past 2^32
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(static_cast<DWORD>(timeGetTime() - 0xFFFFFFF0u), 0x20u);
  }
  // The real clock is back once the manual one goes out of scope.
  const DWORD before = timeGetTime();
  Sleep(5);
  EXPECT_GE(timeGetTime() - before, 4u);
}

TEST(Clock, PeriodsPairUp) {
  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO);
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(clockstandin::OpenPeriodCount(), 1);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(clockstandin::OpenPeriodCount(), 0);
}
