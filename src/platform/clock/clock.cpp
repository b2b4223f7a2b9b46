#include "platform/clock/clock.h"

#include <chrono>
#include <thread>

namespace clockstandin {
namespace {

// The libraries' own state: the installed manual clock (if any) and the open periods.
ManualClock* installedClock = nullptr;
int openPeriods = 0;

const std::chrono::steady_clock::time_point& Epoch() {
  static const auto epoch = std::chrono::steady_clock::now();
  return epoch;
}

}  // namespace

ManualClock::ManualClock(DWORD start)
    : now_(start), wallBase_(WallClockMs() - start), previous_(installedClock) {
  installedClock = this;
}

ManualClock::~ManualClock() { installedClock = previous_; }

int OpenPeriodCount() { return openPeriods; }

std::uint64_t HighResolutionCounter() {
  if (installedClock != nullptr) return installedClock->Now();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace clockstandin

DWORD timeGetTime() {
  using namespace clockstandin;
  if (installedClock != nullptr) return installedClock->Now();
  const auto elapsed = std::chrono::steady_clock::now() - Epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

std::int64_t WallClockMs() {
  using namespace clockstandin;
  if (installedClock != nullptr) return installedClock->WallClock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

MMRESULT timeBeginPeriod(UINT period) {
  if (period == 0) return TIMERR_NOCANDO;
  ++clockstandin::openPeriods;
  return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
  if (period == 0 || clockstandin::openPeriods == 0) return TIMERR_NOCANDO;
  --clockstandin::openPeriods;
  return TIMERR_NOERROR;
}

void Sleep(DWORD milliseconds) {
  using namespace clockstandin;
  if (installedClock != nullptr) {
    installedClock->Advance(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
