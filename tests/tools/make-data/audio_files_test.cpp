// WAVE and MP3 writing, and the mastering steps every sound goes through.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sounds/mastering.h"
#include "sounds/mp3_encoder.h"
#include "sounds/synth.h"
#include "sounds/wav_file.h"

namespace {

Stereo Tone(double frequency, double seconds, float level) {
  Stereo audio;
  audio.Resize(FramesOf(seconds));
  for (size_t i = 0; i < audio.Frames(); ++i) {
    const float v = level * SineCycles(frequency * static_cast<double>(i) / kSampleRate);
    audio.left[i] = v;
    audio.right[i] = -v;
  }
  return audio;
}

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(WavFile, HeaderDescribesSixteenBitStereoPcm) {
  const Stereo audio = Tone(440.0, 0.25, 0.5f);
  const Bytes file = EncodeWav16(audio);
  ASSERT_EQ(file.size(), 44 + audio.Frames() * 4);
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
  EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
  std::string error;
  const auto info = ParseWav(file, &error);
  ASSERT_TRUE(info) << error;
  EXPECT_EQ(info->formatTag, 1);
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->sampleRate, 44100u);
  EXPECT_EQ(info->byteRate, 44100u * 4);
  EXPECT_EQ(info->blockAlign, 4);
  EXPECT_EQ(info->bitsPerSample, 16);
  ASSERT_EQ(info->samples.Frames(), audio.Frames());
  // Samples come back within a step or two of dither.
  for (size_t i = 0; i < audio.Frames(); i += 97) {
    EXPECT_NEAR(info->samples.left[i], audio.left[i], 3.0 / 32768.0);
    EXPECT_NEAR(info->samples.right[i], audio.right[i], 3.0 / 32768.0);
  }
}

TEST(WavFile, OverloadedSamplesClampInsteadOfWrapping) {
  Stereo audio;
  audio.Resize(4);
  audio.left = {1.5f, -1.5f, 1.0f, -1.0f};
  audio.right = {0.0f, 0.0f, 0.0f, 0.0f};
  const auto info = ParseWav(EncodeWav16(audio));
  ASSERT_TRUE(info);
  EXPECT_GT(info->samples.left[0], 0.999f);
  EXPECT_LT(info->samples.left[1], -0.999f);
  EXPECT_GT(info->samples.left[2], 0.99f);
  EXPECT_LT(info->samples.left[3], -0.99f);
}

TEST(WavFile, ReaderRejectsDamagedFiles) {
  Bytes file = EncodeWav16(Tone(440.0, 0.01, 0.5f));
  std::string error;
  Bytes notWave = file;
  notWave[8] = 'X';
  EXPECT_FALSE(ParseWav(notWave, &error));
  Bytes truncated(file.begin(), file.begin() + 50);  // the data chunk claims more than is there
  truncated[4] = static_cast<uint8_t>(truncated.size() - 8);
  truncated[5] = truncated[6] = truncated[7] = 0;
  EXPECT_FALSE(ParseWav(truncated, &error));
  EXPECT_FALSE(ParseWav(Bytes(file.begin(), file.begin() + 10), &error));
}

TEST(Mastering, LimiterKeepsEverySampleUnderTheCeiling) {
  Stereo audio = Tone(220.0, 0.5, 0.3f);
  // Spikes far above the ceiling, one at the very start and one at the very end.
  audio.left[0] = 1.8f;
  audio.left[5000] = -2.5f;
  audio.right[12000] = 1.2f;
  audio.left.back() = 1.4f;
  LimitPeaks(audio, -3.0);
  EXPECT_LE(PeakDb(audio), -3.0 + 1e-4);
  // Away from the spikes the signal is untouched.
  const Stereo reference = Tone(220.0, 0.5, 0.3f);
  EXPECT_FLOAT_EQ(audio.left[20000], reference.left[20000]);
}

TEST(Mastering, SignalsOfDifferentShapesReachTheSameLoudness) {
  Stereo steady = Tone(330.0, 1.0, 0.1f);
  Stereo spiky = Tone(330.0, 1.0, 0.02f);
  for (size_t i = 0; i < spiky.Frames(); i += 4410) spiky.left[i] = 0.9f;  // clicks
  MasterTo(steady, -14.0, -3.0);
  MasterTo(spiky, -14.0, -3.0);
  EXPECT_NEAR(LoudestWindowDb(steady), -14.0, 0.3);
  EXPECT_NEAR(LoudestWindowDb(spiky), -14.0, 0.3);
  EXPECT_LE(PeakDb(steady), -3.0 + 1e-4);
  EXPECT_LE(PeakDb(spiky), -3.0 + 1e-4);
}

TEST(Mastering, FadesReachExactSilenceAtTheEdges) {
  Stereo audio = Tone(440.0, 0.2, 0.8f);
  for (size_t i = 0; i < audio.Frames(); ++i) audio.left[i] = audio.right[i] = 0.8f;
  FadeIn(audio, 0.05);
  FadeOut(audio, 0.05);
  EXPECT_EQ(audio.left.front(), 0.0f);
  EXPECT_LT(std::abs(audio.left.back()), 0.8f / 2000.0f);
  EXPECT_FLOAT_EQ(audio.left[audio.Frames() / 2], 0.8f);
}

TEST(Mp3Encoder, WritesConstantRateLayerThreeFramesForTheWholeSound) {
  const Stereo audio = Tone(440.0, 2.0, 0.4f);
  const Bytes mp3 = EncodeMp3(audio, 128);
  ASSERT_GT(mp3.size(), 4u);
  // No tag in front: the first bytes are a frame header. Walk every frame by its length.
  size_t at = 0;
  int frames = 0;
  while (at + 4 <= mp3.size()) {
    ASSERT_EQ(mp3[at], 0xFF) << "frame " << frames;
    ASSERT_EQ(mp3[at + 1] & 0xFE, 0xFA) << "MPEG-1 Layer III";
    const int bitrateIndex = mp3[at + 2] >> 4;
    const int rateIndex = (mp3[at + 2] >> 2) & 3;
    const int padding = (mp3[at + 2] >> 1) & 1;
    ASSERT_EQ(bitrateIndex, 9) << "128 kbps";
    ASSERT_EQ(rateIndex, 0) << "44.1 kHz";
    at += 144 * 128000 / 44100 + padding;
    ++frames;
  }
  EXPECT_EQ(at, mp3.size());
  const double seconds = frames * 1152.0 / 44100.0;
  EXPECT_GE(seconds, 2.0);
  EXPECT_LT(seconds, 2.2);
}
