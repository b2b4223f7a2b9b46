#include "app/bench_log.h"

namespace app {

TBenchLog::~TBenchLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void TBenchLog::Open(const QString& file) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(file.toLocal8Bit().constData(), "w");
}

void TBenchLog::FirstFrame() {
  Line("first-frame", std::chrono::system_clock::now().time_since_epoch());
}

void TBenchLog::Tick(std::chrono::steady_clock::time_point startedAt) {
  // Written out once a second: a write per tick would weigh on the CPU being measured.
  Line("tick", startedAt.time_since_epoch(), ++ticks_ % 40 == 0);
}

void TBenchLog::Note(const char* what) {
  Line(what, std::chrono::steady_clock::now().time_since_epoch());
}

void TBenchLog::Line(const char* what, std::chrono::nanoseconds sinceEpoch, bool flush) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "%s %lld\n", what, static_cast<long long>(sinceEpoch.count()));
  if (flush) std::fflush(file_);
}

}  // namespace app
