#include "platform/wmp/smf.h"

#include <algorithm>
#include <vector>

namespace wmp {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note

struct TempoChange {
  std::uint64_t tick;
  std::uint32_t microsPerQuarter;
};

// Reads big-endian and variable-length numbers without running past the end.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  std::size_t Left() const { return size_ - pos_; }
  bool Byte(std::uint8_t& out) {
    if (pos_ >= size_) return false;
    out = data_[pos_++];
    return true;
  }
  bool BigEndian(int bytes, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < bytes; ++i) {
      std::uint8_t b = 0;
      if (!Byte(b)) return false;
      out = out << 8 | b;
    }
    return true;
  }
  // At most four bytes, as the format allows.
  bool Variable(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b = 0;
      if (!Byte(b)) return false;
      out = out << 7 | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool Skip(std::uint32_t bytes) {
    if (bytes > Left()) return false;
    pos_ += bytes;
    return true;
  }
  const std::uint8_t* Here() const { return data_ + pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The tick of every event, kept while walking the tracks when the load is asked for; the walk
// stops once there are more than `most`.
struct TEventTicks {
  std::vector<std::uint64_t>* Ticks = nullptr;
  std::size_t Most = 0;
  bool Full() const { return Ticks != nullptr && Ticks->size() > Most; }
};

// Walks one track's events; returns the tick of its last event, or nothing when it is broken.
std::optional<std::uint64_t> ReadTrack(Reader track, std::vector<TempoChange>& tempos,
                                       TEventTicks events = {}) {
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (!track.AtEnd()) {
    std::uint32_t delta = 0;
    std::uint8_t status = 0;
    if (!track.Variable(delta) || !track.Byte(status)) return std::nullopt;
    tick += delta;
    if (events.Ticks != nullptr) {
      if (events.Full()) return tick;
      events.Ticks->push_back(tick);
    }
    if (status == 0xFF) {
      std::uint8_t type = 0;
      std::uint32_t length = 0;
      if (!track.Byte(type) || !track.Variable(length) || length > track.Left()) {
        return std::nullopt;
      }
      if (type == 0x51 && length == 3) {
        const std::uint8_t* t = track.Here();
        const std::uint32_t micros = static_cast<std::uint32_t>(t[0]) << 16 | t[1] << 8 | t[2];
        if (micros > 0) tempos.push_back({tick, micros});
      }
      track.Skip(length);
      running = 0;
      if (type == 0x2F) return tick;  // end of track: anything after it is not played
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length = 0;
      if (!track.Variable(length) || !track.Skip(length)) return std::nullopt;
      running = 0;
      continue;
    }
    std::uint8_t first = status;
    if (status < 0x80) {
      if (running == 0) return std::nullopt;  // a data byte with nothing to repeat
      status = running;
    } else {
      if (status >= 0xF0) return std::nullopt;  // system common messages do not occur in files
      running = status;
      if (!track.Byte(first)) return std::nullopt;
    }
    const std::uint8_t kind = status & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) {
      std::uint8_t second = 0;
      if (!track.Byte(second)) return std::nullopt;
    }
  }
  return tick;
}

// The file's header and tracks: the division, the tick of the last event and the tempo map
// (sorted), or nothing when the file is broken.
struct TWalk {
  std::uint32_t Division = 0;
  std::uint64_t EndTick = 0;
  std::vector<TempoChange> Tempos;
};

std::optional<TWalk> WalkFile(const std::uint8_t* data, std::size_t size, TEventTicks events) {
  Reader file(data, size);
  std::uint32_t id = 0;
  std::uint32_t headerLength = 0;
  std::uint32_t tracks = 0;
  std::uint32_t format = 0;
  TWalk walk;
  if (!file.BigEndian(4, id) || id != 0x4D546864 /* MThd */ || !file.BigEndian(4, headerLength) ||
      headerLength < 6 || headerLength > file.Left() || !file.BigEndian(2, format) ||
      !file.BigEndian(2, tracks) || !file.BigEndian(2, walk.Division) ||
      !file.Skip(headerLength - 6) || format > 2 || tracks == 0 || walk.Division == 0) {
    return std::nullopt;
  }
  std::uint32_t found = 0;
  while (found < tracks && !file.AtEnd() && !events.Full()) {
    std::uint32_t chunk = 0;
    std::uint32_t length = 0;
    if (!file.BigEndian(4, chunk) || !file.BigEndian(4, length) || length > file.Left()) {
      return std::nullopt;
    }
    if (chunk == 0x4D54726B /* MTrk */) {
      const std::optional<std::uint64_t> last =
          ReadTrack(Reader(file.Here(), length), walk.Tempos, events);
      if (!last) return std::nullopt;
      walk.EndTick = std::max(walk.EndTick, *last);
      ++found;
    }
    file.Skip(length);  // other chunks are skipped, as the format asks
  }
  if (found < tracks && !events.Full()) return std::nullopt;
  std::stable_sort(walk.Tempos.begin(), walk.Tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  return walk;
}

// Seconds from the start to each of the ascending ticks, by the tempo map (120 beats per
// minute until the first change) or by the time code of an SMPTE division.
class TClock {
 public:
  explicit TClock(const TWalk& walk) : walk_(walk) {}

  std::optional<double> Seconds(std::uint64_t at) {
    const std::uint32_t division = walk_.Division;
    if (division & 0x8000) {
      // Time code: frames per second (29 stands for 29.97) times ticks per frame.
      const int frames = -static_cast<std::int8_t>(division >> 8);
      const double fps = frames == 29 ? 29.97 : frames;
      const double ticksPerSecond = fps * static_cast<double>(division & 0xFF);
      if (ticksPerSecond <= 0) return std::nullopt;
      return static_cast<double>(at) / ticksPerSecond;
    }
    while (next_ < walk_.Tempos.size() && walk_.Tempos[next_].tick < at) {
      const TempoChange& change = walk_.Tempos[next_++];
      micros_ += static_cast<double>(change.tick - tick_) * tempo_ / division;
      tick_ = change.tick;
      tempo_ = change.microsPerQuarter;
    }
    return (micros_ + static_cast<double>(at - tick_) * tempo_ / division) / 1e6;
  }

 private:
  const TWalk& walk_;
  std::size_t next_ = 0;
  std::uint64_t tick_ = 0;
  double micros_ = 0;
  std::uint32_t tempo_ = kDefaultTempo;
};

}  // namespace

std::optional<double> MidiFileSeconds(const std::uint8_t* data, std::size_t size) {
  const std::optional<TWalk> walk = WalkFile(data, size, {});
  if (!walk) return std::nullopt;
  return TClock(*walk).Seconds(walk->EndTick);
}

TMidiLoadProblem MidiFileLoadProblem(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint64_t> ticks;
  const std::optional<TWalk> walk = WalkFile(data, size, {&ticks, kMaxMidiEvents});
  if (!walk) return {"MIDI ファイルが壊れています", true};
  if (ticks.size() > kMaxMidiEvents) {
    return {"MIDI ファイルのイベントが多すぎます (" + std::to_string(kMaxMidiEvents) + " 個まで)"};
  }
  std::sort(ticks.begin(), ticks.end());
  TClock clock(*walk);
  std::vector<double> seconds;
  seconds.reserve(ticks.size());
  for (std::uint64_t tick : ticks) seconds.push_back(clock.Seconds(tick).value_or(0.0));
  // The busiest tenth of a second: a window sliding over the events in time order.
  std::size_t first = 0;
  for (std::size_t last = 0; last < seconds.size(); ++last) {
    while (seconds[last] - seconds[first] >= 0.1) ++first;
    if (last - first + 1 > kMaxMidiEventsPerTenth) {
      return {"MIDI ファイルの同じ瞬間のイベントが多すぎます (0.1 秒に " +
              std::to_string(kMaxMidiEventsPerTenth) + " 個まで)"};
    }
  }
  return {};
}

}  // namespace wmp
