// The decoders behind the media player, read directly (no device, no real time).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audio/media_files.h"
#include "audio/mp3_encoder.h"
#include "audio/wave_builder.h"
#include "platform/wmp/media_source.h"

namespace {

constexpr int kRate = 44100;

struct Decoded {
  std::size_t frames = 0;
  int peak = 0;
};

Decoded DecodeAll(wmp::TMediaSource& source) {
  Decoded result;
  std::vector<std::int16_t> block(2 * 1000);
  while (const std::size_t got = source.Read(block.data(), 1000)) {
    result.frames += got;
    for (std::size_t i = 0; i < got * 2; ++i) {
      result.peak = std::max(result.peak, std::abs(static_cast<int>(block[i])));
    }
  }
  return result;
}

TEST(MediaSource, EveryFormatDecodesWithItsLengthKnownAtOnceAndStartsOver) {
  testwave::TempDir dir;
  for (const testwave::MediaKind& kind : testwave::EncodedKinds()) {
    const auto path = dir / (std::string("tune") + kind.extension);
    ASSERT_TRUE(testwave::WriteEncoded(path, kind.encoder, 1.3)) << kind.extension;
    std::unique_ptr<wmp::TMediaSource> source = wmp::OpenMediaSource(path.string(), kRate);
    const Decoded first = DecodeAll(*source);
    ASSERT_TRUE(source->Rewind()) << kind.extension;
    const Decoded again = DecodeAll(*source);
    const double played = static_cast<double>(first.frames) / kRate;
    std::printf("%-5s length %.4f played %.4f again %.4f peak %d\n", kind.extension, source->Seconds(), played, static_cast<double>(again.frames) / kRate, first.peak);
  }
}

}  // namespace
