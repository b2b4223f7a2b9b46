// The measurements the benchmarks read from a running game window: the wall-clock time of the
// first presented frame, the steady-clock start of every tick and named moments, one line each
// ("first-frame <ns>", "tick <ns>", "<what> <ns>"). Ticks reach the file once a second, the rest
// at once. Without a file nothing is written.
#pragma once

#include <QString>

#include <chrono>
#include <cstdio>

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

 private:
  void Line(const char* what, std::chrono::nanoseconds sinceEpoch, bool flush = true);
  std::FILE* file_ = nullptr;
  long ticks_ = 0;
};

}  // namespace app
