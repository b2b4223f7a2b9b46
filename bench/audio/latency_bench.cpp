// How long a sound effect takes from TDDSDChannel::Play to its first samples in the audio
// callback, against the physical floor: one device buffer (the callback period). Run with a
// real driver or SDL_AUDIODRIVER=dummy (which calls back in real time as well).
#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "audio/ddsd.h"
#include "platform/mixer/mixer.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::int64_t> firstSoundNs{0};
std::atomic<int> callbackBytes{0};

// Notes when the mixer's output first carries sound after each reset.
void PostMix(void*, Uint8* stream, int length) {
  callbackBytes.store(length);
  if (firstSoundNs.load() != 0) {
    return;
  }
  const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
  for (int i = 0; i < length / 2; ++i) {
    if (samples[i] != 0) {
      firstSoundNs.store(Clock::now().time_since_epoch().count());
      return;
    }
  }
}

void WriteClick(const std::filesystem::path& path) {
  // 50 ms of a constant level, 44100 Hz stereo, 16-bit.
  const std::uint32_t frames = 2205;
  const std::uint32_t dataBytes = frames * 4;
  std::ofstream out(path, std::ios::binary);
  auto put32 = [&out](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&out](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  put32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  put32(16);
  put16(1);
  put16(2);
  put32(44100);
  put32(44100 * 4);
  put16(4);
  put16(16);
  out.write("data", 4);
  put32(dataBytes);
  for (std::uint32_t i = 0; i < frames * 2; ++i) put16(8000);
}

void BM_PlayToFirstCallback(benchmark::State& state) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("nightwisp-latency-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  WriteClick(folder / "click.wav");
  ddsd::SetLogFolder(folder);
  TDDSD component;
  component.SetChannelCount(1);
  component.SetDebugOption({});
  component.Loaded();
  if (!component.Initialized()) {
    state.SkipWithError("no audio device");
    return;
  }
  TDDSDWaveData wave(&component, false, folder / "click.wav");
  component.Channel(0)->SetWaveData(&wave);
  Mix_SetPostMix(&PostMix, nullptr);
  const double bufferMs = 1000.0 * mixer::kBufferFrames / mixer::kDeviceRate;
  double worstMs = 0;
  double totalMs = 0;
  std::int64_t count = 0;
  for (auto _ : state) {
    component.Channel(0)->Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // a silent callback or two
    firstSoundNs.store(0);
    // Start at a random point of the callback period, as a key press would.
    std::this_thread::sleep_for(std::chrono::microseconds(rand() % 23000));
    const auto start = Clock::now();
    component.Channel(0)->Play();
    while (firstSoundNs.load() == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double ms = (firstSoundNs.load() - start.time_since_epoch().count()) / 1e6;
    state.SetIterationTime(ms / 1000.0);
    worstMs = std::max(worstMs, ms);
    totalMs += ms;
    ++count;
  }
  Mix_SetPostMix(nullptr, nullptr);
  state.counters["buffer_frames"] = callbackBytes.load() / 4;
  state.counters["buffer_ms"] = bufferMs;
  state.counters["mean_ms"] = count > 0 ? totalMs / count : 0;
  state.counters["worst_ms"] = worstMs;
  state.counters["worst_over_buffer"] = worstMs / bufferMs;
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}

BENCHMARK(BM_PlayToFirstCallback)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
