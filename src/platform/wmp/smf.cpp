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

// Walks one track's events; returns the tick of its last event, or nothing when it is broken.
std::optional<std::uint64_t> ReadTrack(Reader track, std::vector<TempoChange>& tempos) {
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (!track.AtEnd()) {
    std::uint32_t delta = 0;
    std::uint8_t status = 0;
    if (!track.Variable(delta) || !track.Byte(status)) return std::nullopt;
    tick += delta;
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

}  // namespace

std::optional<double> MidiFileSeconds(const std::uint8_t* data, std::size_t size) {
  Reader file(data, size);
  std::uint32_t id = 0;
  std::uint32_t headerLength = 0;
  std::uint32_t tracks = 0;
  std::uint32_t division = 0;
  std::uint32_t format = 0;
  if (!file.BigEndian(4, id) || id != 0x4D546864 /* MThd */ || !file.BigEndian(4, headerLength) ||
      headerLength < 6 || headerLength > file.Left() || !file.BigEndian(2, format) ||
      !file.BigEndian(2, tracks) || !file.BigEndian(2, division) || !file.Skip(headerLength - 6) ||
      format > 2 || tracks == 0 || division == 0) {
    return std::nullopt;
  }

  std::vector<TempoChange> tempos;
  std::uint64_t endTick = 0;
  std::uint32_t found = 0;
  while (found < tracks && !file.AtEnd()) {
    std::uint32_t chunk = 0;
    std::uint32_t length = 0;
    if (!file.BigEndian(4, chunk) || !file.BigEndian(4, length) || length > file.Left()) {
      return std::nullopt;
    }
    if (chunk == 0x4D54726B /* MTrk */) {
      const std::optional<std::uint64_t> last = ReadTrack(Reader(file.Here(), length), tempos);
      if (!last) return std::nullopt;
      endTick = std::max(endTick, *last);
      ++found;
    }
    file.Skip(length);  // other chunks are skipped, as the format asks
  }
  if (found < tracks) return std::nullopt;

  if (division & 0x8000) {
    // Time code: frames per second (29 stands for 29.97) times ticks per frame.
    const int frames = -static_cast<std::int8_t>(division >> 8);
    const double fps = frames == 29 ? 29.97 : frames;
    const double ticksPerSecond = fps * static_cast<double>(division & 0xFF);
    if (ticksPerSecond <= 0) return std::nullopt;
    return static_cast<double>(endTick) / ticksPerSecond;
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  double micros = 0;
  std::uint64_t tick = 0;
  std::uint32_t tempo = kDefaultTempo;
  for (const TempoChange& change : tempos) {
    if (change.tick >= endTick) break;
    micros += static_cast<double>(change.tick - tick) * tempo / division;
    tick = change.tick;
    tempo = change.microsPerQuarter;
  }
  micros += static_cast<double>(endTick - tick) * tempo / division;
  return micros / 1e6;
}

}  // namespace wmp
