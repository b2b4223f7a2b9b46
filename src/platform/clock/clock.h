// The multimedia timer of the design: a 32-bit millisecond tick that wraps, a timer
// resolution request, and Sleep. All game time comes from here; nothing else reads a clock.
// Tests install a ManualClock, so timing can be exercised without waiting.
#pragma once

#include <cstdint>

#include "platform/base/windows_types.h"

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;

// Milliseconds since the clock started, wrapping at 2^32.
DWORD timeGetTime();
// Resolution requests must pair up; periods of 0 are refused as on the real platform.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
// Blocks the calling thread; under a manual clock it advances that clock instead.
void Sleep(DWORD milliseconds);

// The calendar's time, for what the player's history dates: milliseconds since 1970-01-01
// UTC. Under a manual clock it is the clock's calendar time plus its ticks.
std::int64_t WallClockMs();

namespace clockstandin {

// A clock a test drives by hand. While one is installed, timeGetTime reads it and Sleep
// advances it. Installing is scoped: the destructor puts the real clock back.
class ManualClock {
 public:
  explicit ManualClock(DWORD start = 0);
  ~ManualClock();
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  DWORD Now() const { return now_; }
  void Set(DWORD ms) { now_ = ms; }
  void Advance(DWORD ms) { now_ += ms; }  // wraps like the real tick
  std::int64_t WallClock() const { return wallBase_ + now_; }

 private:
  DWORD now_;
  std::int64_t wallBase_;
  ManualClock* previous_;
};

// Number of timeBeginPeriod calls not yet matched by timeEndPeriod (for tests).
int OpenPeriodCount();

// A high-resolution counter for seeding (nanoseconds of the steady clock, or the manual
// clock's milliseconds while one is installed).
std::uint64_t HighResolutionCounter();

}  // namespace clockstandin
