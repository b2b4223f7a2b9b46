// What decoding the music costs the game: the share of one core that each format takes to
// decode (or, for MIDI, to synthesise) in real time, 44.1 kHz stereo, through the same source
// the media player's hook reads from. The peer in the same run is a plain .wav, which only
// copies samples; the target is under 1 % of a core for every format.
//
// Counters: core% (CPU seconds per second of music, in per cent) and x_wav (that against the
// .wav's).
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/wmp/media_source.h"
#include "support/media_files.h"
#include "support/wave_builder.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 20.0;
double wavCorePercent = 0.0;

// Twenty seconds of a busy General MIDI arrangement: piano chords, a string pad, a bass line
// and drums, eight notes a beat at 120 beats per minute.
testwave::Bytes BusyMidi() {
  testwave::Bytes track;
  auto event = [&track](std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    if (delta >= 0x80) track.push_back(static_cast<std::uint8_t>(0x80 | delta >> 7));
    track.push_back(static_cast<std::uint8_t>(delta & 0x7F));
    track.insert(track.end(), bytes);
  };
  event(0, {0xC0, 0});                                   // piano
  event(0, {0xC1, 48});                                  // strings
  event(0, {0xC2, 33});                                  // bass
  const int steps = static_cast<int>(kSeconds * 2 * 8);  // 96 ticks a beat, 12 a step
  for (int step = 0; step < steps; ++step) {
    const auto root = static_cast<std::uint8_t>(48 + (step / 16) % 4 * 5);
    std::uint32_t delta = 0;
    for (std::uint8_t offset : {12, 16, 19}) {
      event(delta, {0x90, static_cast<std::uint8_t>(root + offset), 80});
    }
    if (step % 16 == 0) event(0, {0x91, static_cast<std::uint8_t>(root + 24), 60});
    if (step % 4 == 0) event(0, {0x92, root, 90});
    event(0, {0x99, static_cast<std::uint8_t>(step % 2 ? 42 : 36), 100});
    delta = 12;
    for (std::uint8_t offset : {12, 16, 19}) {
      event(delta, {0x80, static_cast<std::uint8_t>(root + offset), 64});
      delta = 0;
    }
    if (step % 16 == 15) event(0, {0x81, static_cast<std::uint8_t>(root + 24), 64});
    if (step % 4 == 3) event(0, {0x82, root, 64});
  }
  event(0, {0xFF, 0x2F, 0x00});
  testwave::Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<std::uint8_t>(track.size() >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Decode(benchmark::State& state, const std::string& path, bool peer) {
  std::unique_ptr<wmp::TMediaSource> source = wmp::OpenMediaSource(path, kRate);
  std::vector<std::int16_t> block(2 * 1024);  // one device callback's worth
  std::size_t frames = 0;
  const double cpuStart = ThreadCpuSeconds();
  for (auto _ : state) {
    source->Rewind();
    while (const std::size_t got = source->Read(block.data(), 1024)) frames += got;
    benchmark::DoNotOptimize(block.data());
  }
  const double cpu = ThreadCpuSeconds() - cpuStart;
  const double music = static_cast<double>(frames) / kRate;
  const double corePercent = music > 0 ? 100.0 * cpu / music : 0.0;
  state.counters["core%"] = corePercent;
  if (peer) {
    wavCorePercent = corePercent;
  } else if (wavCorePercent > 0) {
    state.counters["x_wav"] = corePercent / wavCorePercent;
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("nightwisp-decode-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::vector<std::pair<std::string, std::string>> files;  // name, path
  for (const testwave::MediaKind& kind : testwave::EncodedKinds()) {
    const std::filesystem::path path = dir / (std::string("music") + kind.extension);
    if (!testwave::WriteEncoded(path, kind.encoder, kSeconds)) {
      std::fprintf(stderr, "cannot make %s (is the ffmpeg program installed?)\n", path.c_str());
      return 1;
    }
    files.emplace_back(kind.extension, path.string());
  }
  const std::filesystem::path midi = dir / "music.mid";
  testwave::WriteFile(midi, BusyMidi());
  files.emplace_back(".mid", midi.string());

  // Every file is read once before measuring, so none pays for a cold disk cache or the
  // libraries' first-use set-up; the .wav goes first: it is the peer the others are held to.
  std::vector<std::int16_t> block(2 * 1024);
  for (const auto& file : files) {
    const std::unique_ptr<wmp::TMediaSource> source = wmp::OpenMediaSource(file.second, kRate);
    while (source->Read(block.data(), 1024) != 0) {
    }
  }
  std::stable_partition(files.begin(), files.end(),
                        [](const auto& f) { return f.first == ".wav"; });
  for (const auto& [name, path] : files) {
    benchmark::RegisterBenchmark(("decode/" + name.substr(1)).c_str(),
                                 [path = path, peer = name == ".wav"](benchmark::State& state) {
                                   Decode(state, path, peer);
                                 })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return 0;
}
