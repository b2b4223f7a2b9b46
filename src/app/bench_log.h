// The measurements the benchmarks read from a running game window: the wall-clock time of the
// first presented frame, the steady-clock start of every tick and named moments, one line each
// ("first-frame <ns>", "tick <ns>", "<what> <ns>"). Ticks reach the file once a second, the rest
// at once. Without a file nothing is written.
// For 39 frames in every 160 presented, one line counts their pixels: those that truly differ from
// the frame before, and those the device reported as changed (what the window copies and puts):
// "pixels <ns> frames=39 changed=<n> reported=<n> whole=<n>" (whole: frames reported whole).
#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/base/owner_window.h"

namespace app {

class TBenchLog {
 public:
  TBenchLog() = default;
  ~TBenchLog();
  TBenchLog(const TBenchLog&) = delete;
  TBenchLog& operator=(const TBenchLog&) = delete;

  void Open(const QString& file);
  void FirstFrame();
  void Tick(std::chrono::steady_clock::time_point startedAt);
  void Note(const char* what);
  // Counts the presented frame's pixels (a copy of the frame is kept for that).
  void Frame(int width, int height, int pitch, const std::uint32_t* pixels,
             const TFrameChange& change);

 private:
  void Line(const char* what, std::chrono::nanoseconds sinceEpoch, bool flush = true);
  std::FILE* file_ = nullptr;
  long ticks_ = 0;
  std::vector<std::uint32_t> last_;  // the last frame, for the pixels that truly change
  long frameNumber_ = 0;
  long frames_ = 0, whole_ = 0;
  long long changed_ = 0, reported_ = 0;
};

}  // namespace app
