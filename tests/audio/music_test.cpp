#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/music.h"
#include "platform/codepage/codepage.h"
#include "platform/wmp/wmp.h"
#include "support/media_files.h"
#include "support/mix_capture.h"
#include "support/mp3_test_encoder.h"
#include "support/wave_builder.h"

using namespace std::chrono_literals;

namespace {

std::u16string Url(const std::filesystem::path& path) {
  return codepage::Utf8ToUtf16(path.string());
}

// Polls until the condition holds or the time is up; returns the condition's last value.
template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  testwave::TempDir dir_;
  TWindowsMediaPlayer player_;
};

}  // namespace

TEST_F(MediaPlayerTest, Mp3PlaysStopsAndReportsItsLength) {
  const auto path = dir_ / "tune.mp3";
  ASSERT_TRUE(testwave::WriteMp3(path, 1.0));
  EXPECT_EQ(player_.currentMedia.duration(), 0.0);  // no media yet
  player_.SetURL(Url(path));
  EXPECT_NEAR(player_.currentMedia.duration(), 1.0, 0.1);
  EXPECT_EQ(player_.URL(), Url(path));

  testwave::MixCapture capture;
  player_.controls.play();
  EXPECT_TRUE(player_.IsPlaying());
  capture.WaitFrames(8192);
  EXPECT_GT(capture.Peak(), 8000);  // a half-scale sine came through
  player_.controls.stop();
  EXPECT_FALSE(player_.IsPlaying());
  EXPECT_FALSE(player_.TrackEnded());  // stopped, not ended
  player_.controls.stop();             // harmless twice
  capture.Clear();
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 0);
}

TEST_F(MediaPlayerTest, LoopingRepeatsAndAOnceTrackEnds) {
  const auto path = dir_ / "short.wav";
  testwave::WriteFile(path, testwave::Wave16(2, 22050, testwave::Sine16(2, 22050, 0.3, 330)));
  player_.SetURL(Url(path));
  EXPECT_NEAR(player_.currentMedia.duration(), 0.3, 0.01);

  player_.settings.setMode(u"loop", true);
  EXPECT_TRUE(player_.settings.getMode(u"LOOP"));
  player_.controls.play();
  std::this_thread::sleep_for(900ms);
  EXPECT_TRUE(player_.IsPlaying());
  EXPECT_FALSE(player_.TrackEnded());

  player_.controls.stop();
  player_.settings.setMode(u"loop", false);
  player_.controls.play();
  EXPECT_TRUE(WaitFor([&] { return player_.TrackEnded(); }, 5s));
  EXPECT_FALSE(player_.IsPlaying());
  player_.controls.play();  // after the end, play starts again from the beginning
  EXPECT_TRUE(player_.IsPlaying());
}

TEST_F(MediaPlayerTest, FilesThatCannotPlayRaiseErrors) {
  EXPECT_THROW(player_.SetURL(Url(dir_ / "missing.mp3")), EMediaPlayer);
  testwave::WriteFile(dir_ / "fake.mp3", testwave::Bytes(50, 'x'));
  testwave::WriteFile(dir_ / "fake.wma", testwave::Bytes{0x30, 0x26, 0xB2, 0x75, 1, 2, 3});
  for (const char* name : {"fake.mp3", "fake.wma"}) {
    try {
      player_.SetURL(Url(dir_ / name));
      ADD_FAILURE() << name << " was accepted";
    } catch (const EMediaPlayer& error) {
      EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
    }
    EXPECT_EQ(player_.currentMedia.duration(), 0.0);
    player_.controls.play();  // nothing to play: harmless
    EXPECT_FALSE(player_.IsPlaying());
  }
  EXPECT_THROW(player_.settings.setMode(u"teleport", true), EMediaPlayer);
  player_.SetURL(u"");  // closing the media is fine
}

TEST_F(MediaPlayerTest, MidiAndWmaSoundWithTheirLengthsKnownAtOnce) {
  const auto midi = dir_ / "tune.mid";
  testwave::WriteFile(midi, testwave::Midi(2));  // two beats at 120 bpm: one second
  const auto wma = dir_ / "tune.wma";
  ASSERT_TRUE(testwave::WriteEncoded(wma, "-c:a wmav2", 0.8));
  for (const auto& [path, seconds] : {std::pair{midi, 1.0}, std::pair{wma, 0.8}}) {
    player_.SetURL(Url(path));
    // Within one codec frame: FFmpeg's WMA encoder rounds the file to its 2048-sample frames.
    EXPECT_NEAR(player_.currentMedia.duration(), seconds, 0.047) << path;
    testwave::MixCapture capture;
    player_.controls.play();
    capture.WaitFrames(16384);
    EXPECT_GT(capture.Peak(), 1000) << path;  // the instruments or the decoder sounded
    ASSERT_TRUE(WaitFor([&] { return player_.TrackEnded(); }, 10s)) << path;
  }
}

TEST_F(MediaPlayerTest, MusicThatLastsNoTimeIsRefusedAndNeverLooped) {
  const testwave::Bytes endOnly = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0,    0,    1,    0,
                                   96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  testwave::WriteFile(dir_ / "empty.mid", {});
  testwave::WriteFile(dir_ / "end-only.mid", endOnly);
  testwave::WriteFile(dir_ / "silent.wav", testwave::Wave16(2, 44100, {}));
  // A header that promises a second of sound the file does not hold.
  testwave::WriteFile(
      dir_ / "hollow.wav",
      testwave::Riff("WAVE",
                     testwave::Concat({testwave::Chunk("fmt ", testwave::PcmFormat(2, 44100, 16)),
                                       testwave::Chunk("data", {}, 176400)})));
  player_.settings.setMode(u"loop", true);
  for (const char* name : {"empty.mid", "end-only.mid", "silent.wav", "hollow.wav"}) {
    try {
      player_.SetURL(Url(dir_ / name));
      ADD_FAILURE() << name << " was accepted";
    } catch (const EMediaPlayer& error) {
      EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
    }
    EXPECT_EQ(player_.URL(), u"");
    player_.controls.play();
    EXPECT_FALSE(player_.IsPlaying()) << name;
  }
}

// CPU seconds of this process and of the children it has reaped (the decoder processes).
double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

// A loop shorter than a second (one frame, or a header claiming 6.7 hours its data does not
// hold) costs no more than looping a tune of a few seconds over the same time: the decoder is
// not asked to start over hundreds of times a second. The clip keeps sounding.
TEST_F(MediaPlayerTest, ALoopShorterThanASecondDoesNotSpin) {
  const testwave::Bytes frame = testwave::Sine16(2, 44100, 1.0 / 44100, 440, 0.9);
  testwave::WriteFile(dir_ / "tune.wav",
                      testwave::Wave16(2, 44100, testwave::Sine16(2, 44100, 3.0, 330)));
  testwave::WriteFile(dir_ / "one-frame.wav", testwave::Wave16(2, 44100, frame));
  testwave::WriteFile(
      dir_ / "claims-hours.wav",
      testwave::Riff("WAVE",
                     testwave::Concat({testwave::Chunk("fmt ", testwave::PcmFormat(2, 44100, 16)),
                                       testwave::Chunk("data", frame, 0x7FFF0000)})));
  player_.settings.setMode(u"loop", true);
  auto loopCost = [&](const char* name) {
    const double before = CpuSeconds();
    player_.SetURL(Url(dir_ / name));
    player_.controls.play();
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(player_.IsPlaying()) << name;
    player_.controls.stop();
    player_.SetURL(u"");  // the decoder process is reaped: its time counts
    return CpuSeconds() - before;
  };
  const double tune = loopCost("tune.wav");
  for (const char* name : {"one-frame.wav", "claims-hours.wav"}) {
    const double clip = loopCost(name);
    EXPECT_LT(clip, 2 * tune + 0.05) << name << ": " << clip << " s against " << tune << " s";
    std::printf("%s: %.3f s of CPU, %.3f s for the tune\n", name, clip, tune);
  }
}

TEST(MediaPlayerNoDevice, LengthsAreKnownWithoutAnOutput) {
  testwave::TempDir dir;
  const char* previous = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    TWindowsMediaPlayer player;
    EXPECT_EQ(mixer::CurrentOutput(), mixer::Output::kSilent);
    const auto path = dir / "tune.mp3";
    ASSERT_TRUE(testwave::WriteMp3(path, 0.5));
    player.SetURL(Url(path));
    EXPECT_NEAR(player.currentMedia.duration(), 0.5, 0.1);
    player.controls.play();
    EXPECT_TRUE(player.IsPlaying());
    player.controls.stop();
  }
  if (previous != nullptr) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

TEST_F(MediaPlayerTest, PlayMusicStopsSetsLoopPlaysAndNotesTheTime) {
  const auto first = dir_ / "first.wav";
  const auto second = dir_ / "second.wav";
  testwave::WriteFile(first, testwave::Wave16(1, 22050, testwave::Sine16(1, 22050, 2.0, 220)));
  testwave::WriteFile(second, testwave::Wave16(1, 22050, testwave::Sine16(1, 22050, 0.4, 440)));
  clockstandin::ManualClock clock(5000);
  DWORD musicStartTime = 0;

  PlayMusic(player_, Url(first), 0, musicStartTime);
  EXPECT_EQ(musicStartTime, 5000u);
  EXPECT_TRUE(player_.IsPlaying());
  EXPECT_TRUE(player_.settings.getMode(u"loop"));  // a chosen file repeats

  clock.Advance(700);
  PlayMusic(player_, Url(second), 1, musicStartTime);  // random mode: once
  EXPECT_EQ(musicStartTime, 5700u);
  EXPECT_EQ(player_.URL(), Url(second));
  EXPECT_FALSE(player_.settings.getMode(u"loop"));
  EXPECT_NEAR(player_.currentMedia.duration(), 0.4, 0.01);
  EXPECT_TRUE(WaitFor([&] { return player_.TrackEnded(); }, 5s));

  // A file that cannot be opened: the music has stopped, the start time is untouched.
  PlayMusic(player_, Url(first), 0, musicStartTime);
  clock.Advance(100);
  EXPECT_THROW(PlayMusic(player_, Url(dir_ / "gone.mp3"), 0, musicStartTime), EMediaPlayer);
  EXPECT_EQ(musicStartTime, 5700u);
  EXPECT_FALSE(player_.IsPlaying());
}
