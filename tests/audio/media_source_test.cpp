// The decoders behind the media player, read directly (no device, no real time): every format
// with its length, a second pass after a rewind, and the MIDI tempo map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/wmp/ffmpeg_loader.h"
#include "platform/wmp/media_source.h"
#include "platform/wmp/mpeg_source.h"
#include "platform/wmp/smf.h"
#include "support/bounded_child.h"
#include "support/media_files.h"
#include "support/mp3_test_encoder.h"
#include "support/wave_builder.h"

namespace {

constexpr int kRate = 44100;
// Codecs work in frames of up to 2048 samples: the lead-in a raw AAC stream cannot announce,
// or a last frame a WMA encoder leaves out, is at most one of them.
constexpr double kCodecFrame = 2048.0 / kRate;

struct Decoded {
  double seconds = 0;
  int peak = 0;
};

Decoded DecodeAll(wmp::TMediaSource& source) {
  Decoded result;
  std::size_t frames = 0;
  std::vector<std::int16_t> block(2 * 1000);
  while (const std::size_t got = source.Read(block.data(), 1000)) {
    frames += got;
    for (std::size_t i = 0; i < got * 2; ++i) {
      result.peak = std::max(result.peak, std::abs(static_cast<int>(block[i])));
    }
  }
  result.seconds = static_cast<double>(frames) / kRate;
  return result;
}

TEST(MediaSource, EveryFormatPlaysItsLengthKnownAtOnceAndAgainAfterARewind) {
  testwave::TempDir dir;
  struct Case {
    std::filesystem::path path;
    double seconds;
  };
  std::vector<Case> cases;
  for (const testwave::MediaKind& kind : testwave::EncodedKinds()) {
    cases.push_back({dir / (std::string("tune") + kind.extension), 1.3});
    ASSERT_TRUE(testwave::WriteEncoded(cases.back().path, kind.encoder, 1.3)) << kind.extension;
  }
  cases.push_back({dir / "tune.mid", 1.5});  // three beats at 120 beats per minute
  testwave::WriteFile(cases.back().path, testwave::Midi(3));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.extension().string());
    std::unique_ptr<wmp::TMediaSource> source = wmp::OpenMediaSource(c.path.string(), kRate);
    EXPECT_NEAR(source->Seconds(), c.seconds, kCodecFrame);
    const Decoded first = DecodeAll(*source);
    EXPECT_NEAR(first.seconds, source->Seconds(), kCodecFrame);
    EXPECT_GT(first.peak, 1000);
    EXPECT_EQ(source->Read(std::vector<std::int16_t>(20).data(), 10), 0u) << "stays at its end";
    ASSERT_TRUE(source->Rewind());
    const Decoded again = DecodeAll(*source);
    EXPECT_NEAR(again.seconds, first.seconds, 0.002);
    // Back to the start from the middle, and then a loop at the end once more.
    ASSERT_TRUE(source->Rewind());
    ASSERT_EQ(source->Read(std::vector<std::int16_t>(2 * 10000).data(), 10000), 10000u);
    ASSERT_TRUE(source->Rewind());
    EXPECT_NEAR(DecodeAll(*source).seconds, first.seconds, 0.002) << "rewound from the middle";
    ASSERT_TRUE(source->Rewind());
    EXPECT_NEAR(DecodeAll(*source).seconds, first.seconds, 0.002) << "looped at the end";
  }
}

// MP3 is decoded by libmpg123 so that FFmpeg stays out of memory; its lengths must stay those
// of the general decoder to the sample, whatever the file's rate, channels, tags or header.
TEST(MediaSource, MpegAudioKeepsTheGeneralDecodersLengthToTheSample) {
  testwave::TempDir dir;
  ASSERT_TRUE(testwave::WriteMp3(dir / "mono.mp3", 1.3));
  ASSERT_TRUE(testwave::WriteMp3(dir / "mono48.mp3", 0.7, 48000));
  ASSERT_TRUE(testwave::WriteEncoded(dir / "stereo.mp3", "-c:a libmp3lame -b:a 128k", 1.3));
  ASSERT_TRUE(testwave::WriteEncoded(dir / "adts.aac", "-c:a aac -f adts", 0.5));
  // An ID3v2 tag (a 20-byte frame) in front of the stereo file.
  testwave::Bytes tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  tagged.resize(tagged.size() + 20, 0);
  std::ifstream in(dir / "stereo.mp3", std::ios::binary);
  const testwave::Bytes stereo((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  tagged.insert(tagged.end(), stereo.begin(), stereo.end());
  testwave::WriteFile(dir / "tagged.mp3", tagged);

  EXPECT_FALSE(wmp::LooksLikeMpegAudio((dir / "adts.aac").string())) << "AAC shares the sync bits";
  for (const char* name : {"mono.mp3", "mono48.mp3", "stereo.mp3", "tagged.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = (dir / name).string();
    ASSERT_TRUE(wmp::LooksLikeMpegAudio(path));
    const std::unique_ptr<wmp::TMediaSource> mpeg = wmp::OpenMediaSource(path, kRate);
    const std::unique_ptr<wmp::TMediaSource> general = wmp::OpenFfmpegSource(path, kRate);
    EXPECT_NEAR(mpeg->Seconds(), general->Seconds(), 0.5 / 48000);
    // Resamplers may end a few samples apart; the decoders themselves agree.
    EXPECT_NEAR(DecodeAll(*mpeg).seconds, DecodeAll(*general).seconds, 8.0 / kRate);
  }
}

testwave::Bytes Cut(testwave::Bytes bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

TEST(MediaSource, FilesThatHoldNoMusicAreRefusedWithAReason) {
  testwave::TempDir dir;
  const std::vector<std::pair<const char*, testwave::Bytes>> files = {
      {"empty.mid", {}},
      {"text.mp3", testwave::Bytes(200, 'x')},
      {"cut.mid", Cut(testwave::Midi(2), 6)},
      {"header-only.wav", testwave::Wave16(2, kRate, {})},
  };
  for (const auto& [name, bytes] : files) {
    testwave::WriteFile(dir / name, bytes);
    try {
      const auto source = wmp::OpenMediaSource((dir / name).string(), kRate);
      // What opens must at least know it lasts no time, so the player can refuse it.
      EXPECT_EQ(source->Seconds(), 0.0) << name;
    } catch (const EMediaPlayer& error) {
      EXPECT_STRNE(error.what(), "") << name;
    }
  }
}

// The general decoder opens a file in its own process: the caller gets the thread back every
// few milliseconds meanwhile (the window paints and answers), and what opened plays.
TEST(MediaSource, TheCallerKeepsRunningWhileTheDecoderOpensAFile) {
  testwave::TempDir dir;
  ASSERT_TRUE(testwave::WriteEncoded(dir / "tune.ogg", "-c:a libvorbis", 0.5));
  int calls = 0;
  const auto source =
      wmp::OpenMediaSource((dir / "tune.ogg").string(), kRate, [&calls] { ++calls; });
  EXPECT_GT(calls, 0);
  EXPECT_NEAR(DecodeAll(*source).seconds, 0.5, kCodecFrame);
}

// Playlists and lists of files that name themselves, under a music file's name: refused at
// once, without reading on or taking memory.
TEST(MediaSource, PlaylistsAndFileListsNamedAsMusicAreRefusedWithinBoundedMemory) {
  testwave::TempDir dir;
  auto text = [](const std::string& s) { return testwave::Bytes(s.begin(), s.end()); };
  const std::vector<std::pair<const char*, testwave::Bytes>> files = {
      {"x.mp3", text("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nx.mp3\n")},
      {"y.mp3", text("ffconcat version 1.0\nfile y.mp3\nfile y.mp3\n")},
      {"z.ogg", text("#EXTM3U\n#EXTINF:1,\nz.ogg\n#EXTINF:1,\nz.ogg\n")},
      {"w.wav", text("[playlist]\nFile1=w.wav\nNumberOfEntries=1\n")},
  };
  for (const auto& [name, bytes] : files) {
    const std::filesystem::path path = dir / name;
    testwave::WriteFile(path, bytes);
    // The decoder runs in a process of its own: its peak is that of the largest child reaped.
    const testbound::Result opened = testbound::RunBounded(
        1536u << 20, [] {},
        [&] {
          try {
            wmp::OpenMediaSource(path.string(), kRate);
            return 1;
          } catch (const EMediaPlayer& error) {
            if (std::string(error.what()).find("音楽ファイルの形式ではありません") ==
                std::string::npos) {
              return 2;
            }
          }
          rusage decoder{};
          getrusage(RUSAGE_CHILDREN, &decoder);
          return decoder.ru_maxrss < 128 * 1024 ? 0 : 3;
        });
    EXPECT_EQ(opened.ExitCode, 0) << name << ": 1 opened, 2 another reason, 3 the decoder grew";
    EXPECT_LT(opened.PeakGrowthKb, 32 * 1024) << name;
  }
}

// A Standard MIDI File from its header fields and track bodies.
testwave::Bytes Smf(int format, int division, const std::vector<testwave::Bytes>& tracks) {
  testwave::Bytes out = {'M',
                         'T',
                         'h',
                         'd',
                         0,
                         0,
                         0,
                         6,
                         0,
                         static_cast<std::uint8_t>(format),
                         0,
                         static_cast<std::uint8_t>(tracks.size()),
                         static_cast<std::uint8_t>(division >> 8),
                         static_cast<std::uint8_t>(division)};
  for (const testwave::Bytes& track : tracks) {
    const testwave::Bytes head = {'M',
                                  'T',
                                  'r',
                                  'k',
                                  0,
                                  0,
                                  static_cast<std::uint8_t>(track.size() >> 8),
                                  static_cast<std::uint8_t>(track.size())};
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), track.begin(), track.end());
  }
  return out;
}

TEST(MidiFileSeconds, FollowsTheTempoMapToTheLastEvent) {
  const testwave::Bytes end = {0xFF, 0x2F, 0x00};
  auto with = [](testwave::Bytes events, const testwave::Bytes& tail) {
    events.insert(events.end(), tail.begin(), tail.end());
    return events;
  };
  struct Case {
    const char* what;
    testwave::Bytes file;
    std::optional<double> seconds;
  };
  const std::vector<Case> cases = {
      {"one note of two beats at 120 bpm", testwave::Midi(2), 1.0},
      {"only an end of track", Smf(0, 96, {with({0x00}, end)}), 0.0},
      {"240 bpm for a beat, then 60 bpm for a beat",
       Smf(0, 96,
           {with({0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42,
                  0x40, 0x60},
                 end)}),
       1.25},
      {"the tempo of another track applies, the longest track counts",
       Smf(1, 96,
           {with({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00}, end),
            with({0x00, 0x90, 0x3C, 0x64, 0x81, 0x40}, end)}),
       2.0},
      {"running status", Smf(0, 96, {with({0x00, 0x90, 0x3C, 0x64, 0x30, 0x3C, 0x00, 0x30}, end)}),
       0.5},
      {"25 frames of 40 ticks a second", Smf(0, 0xE728, {with({0x8B, 0x5C}, end)}), 1.5},
      {"not a MIDI file", testwave::Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, std::nullopt},
      {"a track cut short", Cut(testwave::Midi(2), 3), std::nullopt},
      {"a data byte with nothing to repeat", Smf(0, 96, {with({0x00, 0x3C, 0x64}, end)}),
       std::nullopt},
      {"a missing second track",
       [&] {
         testwave::Bytes file = Smf(1, 96, {with({0x00}, end)});
         file[11] = 2;
         return file;
       }(),
       std::nullopt},
  };
  testwave::TempDir dir;
  for (const Case& c : cases) {
    const std::optional<double> seconds = wmp::MidiFileSeconds(c.file.data(), c.file.size());
    // Timed in SMPTE frames, a file is measured but refused for playing, with the reason: the
    // synthesiser's sequencer would only stay silent.
    if (seconds && (c.file[12] & 0x80) != 0) {
      testwave::WriteFile(dir / "smpte.mid", c.file);
      try {
        wmp::OpenMediaSource((dir / "smpte.mid").string(), kRate);
        ADD_FAILURE() << c.what << " was taken for playing";
      } catch (const EMediaPlayer& error) {
        EXPECT_NE(std::string(error.what()).find("SMPTE"), std::string::npos) << error.what();
      }
    }
    ASSERT_EQ(seconds.has_value(), c.seconds.has_value()) << c.what;
    if (seconds) {
      EXPECT_NEAR(*seconds, *c.seconds, 1e-9) << c.what;
    }
  }
}

// A format-0 file of one track: `count` note-ons `delta` ticks apart at 96 ticks a beat and
// 120 beats per minute, then an end of track a beat later.
testwave::Bytes NoteOns(std::size_t count, std::uint8_t delta) {
  testwave::Bytes track;
  track.reserve(4 * count + 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t note[] = {delta, 0x90, static_cast<std::uint8_t>(36 + i % 48), 0x40};
    track.insert(track.end(), note, note + sizeof note);
  }
  const std::uint8_t end[] = {0x60, 0xFF, 0x2F, 0x00};
  track.insert(track.end(), end, end + sizeof end);
  testwave::Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<std::uint8_t>(track.size() >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// A MIDI file of millions of events, or of thousands at one moment, is refused before the
// synthesiser keeps a single event, within bounded memory (a child under an address-space
// limit); a busy but playable tune is taken.
TEST(MidiFileLoad, FilesTheSynthesiserCannotTakeAreRefusedBeforeItKeepsThem) {
  testwave::TempDir dir;
  const std::filesystem::path path = dir / "tune.mid";
  const struct {
    const char* name;
    testwave::Bytes file;
    const char* reason;
  } refused[] = {
      {"three million notes at once", NoteOns(3'000'000, 0), "イベントが多すぎます"},
      {"a million notes one tick apart", NoteOns(1'000'000, 1), "イベントが多すぎます"},
      {"five thousand notes at once", NoteOns(5'000, 0), "同じ瞬間"},
      {"fifteen hundred notes at once", NoteOns(1'500, 0), "同じ瞬間"},
  };
  for (const auto& c : refused) {
    testwave::WriteFile(path, c.file);
    // The child never starts the synthesiser (a fork of a process that ran it may hang in it):
    // a file taken is read into the synthesiser by the parent below.
    const testbound::Result result = testbound::RunBounded(
        1024u << 20, [] {},
        [&] {
          try {
            wmp::OpenMediaSource(path.string(), kRate);
            return 1;
          } catch (const EMediaPlayer& error) {
            return std::string(error.what()).find(c.reason) != std::string::npos ? 0 : 2;
          }
        });
    EXPECT_EQ(result.ExitCode, 0) << c.name << ": 1 taken, 2 refused for another reason";
    EXPECT_LT(result.PeakGrowthKb, 64 * 1024) << c.name;
  }
  // Twenty thousand notes a tenth of a beat apart: a busy tune, taken and sounding.
  testwave::WriteFile(path, NoteOns(20'000, 10));
  auto source = wmp::OpenMediaSource(path.string(), kRate);
  EXPECT_NEAR(source->Seconds(), 20'000 * 10 / 192.0 + 0.5, 0.01);
  std::vector<std::int16_t> block(2 * 4096);
  EXPECT_EQ(source->Read(block.data(), 4096), 4096u);
  EXPECT_GT(*std::max_element(block.begin(), block.end()), 0);
}

}  // namespace
