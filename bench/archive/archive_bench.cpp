// Byte-pair expansion of a packed 4 MB mixed file against memcpy of the same output size (the
// floor: every expanded byte has to be written once), and the packer's speed and ratio.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "archive/bpe_expand.h"
#include "archive/bpe_pack.h"
#include "support/archive_test_util.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 4 MB of what an archive of game data holds: pictures, text, noise (already compressed
// parts of a picture) and flat areas.
const Bytes& MixedFile() {
  static const Bytes data = [] {
    Bytes mixed;
    const auto add = [&mixed](const Bytes& part) {
      mixed.insert(mixed.end(), part.begin(), part.end());
    };
    add(archive_test::SamplePicture(688, 528));  // ~1.1 MB
    add(archive_test::SampleText(1 << 20, 1));   // 1 MB
    add(archive_test::RandomBytes(1 << 20, 2));  // 1 MB
    add(archive_test::SamplePicture(512, 256));  // ~0.4 MB
    mixed.resize(std::size_t{4} << 20, 0);       // flat rest
    return mixed;
  }();
  return data;
}

const Bytes& PackedMixedFile() {
  static const Bytes packed = PackBPE(MixedFile());
  return packed;
}

// Packs the data on every iteration and reports the speed and the packed/original ratio.
void PackEachIteration(benchmark::State& state, const Bytes& data) {
  std::size_t packedSize = 0;
  for (auto _ : state) {
    const Bytes packed = PackBPE(data);
    packedSize = packed.size();
    benchmark::DoNotOptimize(packed.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(data.size());
}

// One kind of data, chosen by the benchmark's argument (0 picture, 1 text, else noise), which
// also names the run.
Bytes KindData(benchmark::State& state) {
  switch (state.range(0)) {
    case 0:
      state.SetLabel("picture");
      return archive_test::SamplePicture(688, 528);
    case 1:
      state.SetLabel("text");
      return archive_test::SampleText(1 << 20, 3);
    default:
      state.SetLabel("noise");
      return archive_test::RandomBytes(1 << 20, 4);
  }
}

void BM_ExpandBPE(benchmark::State& state) {
  const Bytes& packed = PackedMixedFile();
  const std::size_t size = MixedFile().size();
  for (auto _ : state) {
    auto out = ExpandBPE(packed, size);
    benchmark::DoNotOptimize(out->Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ExpandBPE)->Unit(benchmark::kMillisecond);

// The floor: a fresh output buffer of the same size, filled with one copy.
void BM_MemcpySameOutput(benchmark::State& state) {
  const Bytes& source = MixedFile();
  for (auto _ : state) {
    TMemoryStream out;
    out.SetSize(source.size());
    std::memcpy(out.Memory(), source.data(), source.size());
    benchmark::DoNotOptimize(out.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_MemcpySameOutput)->Unit(benchmark::kMillisecond);

void BM_PackBPE(benchmark::State& state) { PackEachIteration(state, MixedFile()); }
BENCHMARK(BM_PackBPE)->Unit(benchmark::kMillisecond);

// Ratio and speed per kind of data.
void BM_PackKind(benchmark::State& state) { PackEachIteration(state, KindData(state)); }
BENCHMARK(BM_PackKind)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_ExpandKind(benchmark::State& state) {
  const Bytes data = KindData(state);
  const Bytes packed = PackBPE(data);
  for (auto _ : state) {
    auto out = ExpandBPE(packed, data.size());
    benchmark::DoNotOptimize(out->Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ExpandKind)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
