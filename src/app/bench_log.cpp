#include "app/bench_log.h"

#include <algorithm>
#include <cstring>

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

void TBenchLog::Frame(int width, int height, int pitch, const std::uint32_t* pixels,
                      const TFrameChange& change) {
  if (file_ == nullptr) return;
  // Counted over one window of 40 frames in four, so that counting weighs little on the CPU
  // being measured; the window starts from a copy of the whole frame.
  const long window = frameNumber_++ / 40;
  if (window % 4 != 0) return;
  const std::size_t wide = static_cast<std::size_t>(width);
  if (frameNumber_ % 40 == 1 || last_.size() != wide * height) {
    last_.resize(wide * height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(last_.data() + wide * y, pixels + static_cast<std::ptrdiff_t>(y) * (pitch / 4),
                  wide * 4);
    }
    return;
  }
  auto count = [&](const RECT& r) {
    const LONG left = std::clamp<LONG>(r.left, 0, width);
    const LONG right = std::clamp<LONG>(r.right, 0, width);
    for (LONG y = std::clamp<LONG>(r.top, 0, height); y < std::clamp<LONG>(r.bottom, 0, height);
         ++y) {
      const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * (pitch / 4);
      std::uint32_t* kept = last_.data() + wide * y;
      long differ = 0;
      // The top byte means nothing in an X8R8G8B8 frame.
      for (LONG x = left; x < right; ++x) differ += ((row[x] ^ kept[x]) & 0xFFFFFF) != 0;
      std::memcpy(kept + left, row + left, static_cast<std::size_t>(right - left) * 4);
      changed_ += differ;
      reported_ += right - left;
    }
  };
  if (change.Whole) {
    ++whole_;
    count(RECT{0, 0, width, height});
  } else {
    for (const RECT& r : change.Rects) count(r);
  }
  if (++frames_ < 39) return;
  std::fprintf(file_, "pixels %lld frames=%ld changed=%lld reported=%lld whole=%ld\n",
               static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count()),
               frames_, changed_, reported_, whole_);
  frames_ = whole_ = 0;
  changed_ = reported_ = 0;
}

void TBenchLog::Line(const char* what, std::chrono::nanoseconds sinceEpoch, bool flush) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "%s %lld\n", what, static_cast<long long>(sinceEpoch.count()));
  if (flush) std::fflush(file_);
}

}  // namespace app
