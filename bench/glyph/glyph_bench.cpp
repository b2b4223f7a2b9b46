// The glyph cache's two paths against their floors, in one run:
//   hit:  bucket scan + copy (GetGlyph) and scan only (LookUp), against copying the pixels alone;
//   miss: rasterising and converting a glyph, against the platform's glyph request alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/scene/sx_fontcache.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/gdi/gdi.h"

namespace {

constexpr std::int32_t kKanji = 0x8C75;       // 蛍
constexpr std::int32_t kOtherKanji = 0x8E75;  // another character of the same bucket

void SetUp(TSXTextWriter& writer) {
  writer.Font().SetName("IPAGothic");
  writer.Font().SetHeight(-32);
  writer.Font().SetStyle(gdi::fsBold);
  writer.Font().SetCharset(gdi::SHIFTJIS_CHARSET);
}

// A full bucket with the wanted glyph last, so each hit scans all 16 entries and moves one.
void FillBucket(TSXTextWriter& writer) {
  for (int lead = 0x81; lead < 0x81 + 15; ++lead)
    writer.Cache->GetGlyph(lead << 8 | 0x75, writer.Font());
}

void BM_HitCopy(benchmark::State& state) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  SetUp(writer);
  FillBucket(writer);
  writer.Cache->GetGlyph(kKanji, writer.Font());
  for (auto _ : state) {
    TSXFontCacheData glyph = writer.Cache->GetGlyph(kKanji, writer.Font());
    benchmark::DoNotOptimize(glyph.Pixels.data());
  }
}
BENCHMARK(BM_HitCopy);

void BM_HitNoCopy(benchmark::State& state) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  SetUp(writer);
  FillBucket(writer);
  writer.Cache->GetGlyph(kKanji, writer.Font());
  for (auto _ : state) {
    const TSXFontCacheData& glyph = writer.Cache->LookUp(kKanji, writer.Font());
    benchmark::DoNotOptimize(&glyph);
  }
}
BENCHMARK(BM_HitNoCopy);

// Floor of the copying hit: the glyph's pixels copied into a fresh buffer.
void BM_FloorPixelCopy(benchmark::State& state) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 16);
  SetUp(writer);
  const TSXFontCacheData glyph = writer.Cache->GetGlyph(kKanji, writer.Font());
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(glyph.Pixels);
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["bytes"] = static_cast<double>(glyph.Pixels.size());
}
BENCHMARK(BM_FloorPixelCopy);

// Every lookup misses: a one-entry bucket alternating between two characters.
void BM_Miss(benchmark::State& state) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 1);
  SetUp(writer);
  std::int32_t code = kKanji;
  for (auto _ : state) {
    const TSXFontCacheData& glyph = writer.Cache->LookUp(code, writer.Font());
    benchmark::DoNotOptimize(&glyph);
    code = code == kKanji ? kOtherKanji : kKanji;
  }
}
BENCHMARK(BM_Miss);

// Floor of the miss: the platform rasterising the same glyphs (size query + bitmap).
void BM_FloorPlatformGlyph(benchmark::State& state) {
  TSXTextWriter writer(nullptr, D3DFMT_A8R8G8B8, 1);
  SetUp(writer);
  gdi::HDC dc = writer.DeviceContext();
  const gdi::MAT2 identity = gdi::IdentityMat2();
  std::vector<std::uint8_t> buffer(64 * 64);
  UINT code = kKanji;
  for (auto _ : state) {
    gdi::GLYPHMETRICS gm;
    const DWORD size =
        gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    gdi::GetGlyphOutlineA(dc, code, gdi::GGO_GRAY8_BITMAP, &gm, size, buffer.data(), &identity);
    benchmark::DoNotOptimize(buffer.data());
    code = code == static_cast<UINT>(kKanji) ? kOtherKanji : kKanji;
  }
}
BENCHMARK(BM_FloorPlatformGlyph);

}  // namespace

BENCHMARK_MAIN();
