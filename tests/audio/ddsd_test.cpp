#include "audio/ddsd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/owner_window.h"
#include "platform/codepage/codepage.h"
#include "support/mix_capture.h"
#include "support/wave_builder.h"

using namespace dsound;
using namespace std::chrono_literals;
using testwave::Bytes;

namespace {

// 16-bit samples that all hold one value: levels add up exactly in the mixer's output.
Bytes Constant16(int channels, int rate, double seconds, std::int16_t value) {
  Bytes out;
  const int count = static_cast<int>(rate * seconds) * channels;
  for (int i = 0; i < count; ++i) {
    testwave::PutU16(out, static_cast<std::uint16_t>(value));
  }
  return out;
}

std::vector<std::string> LogLines() {
  std::ifstream in(ddsd::LogFilePath(), std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(codepage::SjisToUtf8(line));
  }
  return lines;
}

std::string LastLogLine() {
  const auto lines = LogLines();
  return lines.empty() ? std::string() : lines.back();
}

bool Sounding(TDDSDChannel* channel) {
  DWORD status = 0;
  channel->Buffer()->GetStatus(&status);
  return (status & DSBSTATUS_PLAYING) != 0;
}

void WaitSilent(TDDSDChannel* channel) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (Sounding(channel) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
}

// A component as the game sets it up, but reporting into a log in a fresh folder.
class DdsdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ddsd::SetLogFolder(dir_.Path());
    component_.SetChannelCount(7);
    component_.SetDebugOption({dsoDebugMessage});
    component_.Loaded();
    ASSERT_TRUE(component_.Initialized());
  }

  std::filesystem::path Write(const std::string& name, const Bytes& bytes) {
    const auto path = dir_ / name;
    testwave::WriteFile(path, bytes);
    return path;
  }

  testwave::TempDir dir_;
  TDDSD component_;
};

}  // namespace

TEST_F(DdsdTest, MalformedFilesAreReportedAndLoadNothing) {
  const Bytes fmt = testwave::Chunk("fmt ", testwave::PcmFormat(1, 8000, 8));
  const Bytes data = testwave::Chunk("data", Bytes(100, 0x80));
  struct Case {
    const char* name;
    Bytes bytes;
    const char* suffix;
  };
  Bytes shortFmt = testwave::Riff("WAVE", Bytes{'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0});
  shortFmt[4] = 200;  // the form claims more than the file holds: the chunk is cut by the file
  const Case cases[] = {
      {"text.wav", Bytes{'h', 'e', 'l', 'l', 'o'}, "は、WAVEファイルではありません"},
      {"avi.wav", testwave::Riff("AVI ", testwave::Concat({fmt, data})),
       "は、WAVEファイルではありません"},
      {"nofmt.wav", testwave::Riff("WAVE", data), "には、fmtチャンクが有りません"},
      {"shortfmt.wav", shortFmt, "のfmtチャンクが不正です"},
      {"tinyfmt.wav",
       testwave::Riff("WAVE", testwave::Concat({testwave::Chunk("fmt ", Bytes(14, 1)), data})),
       "のfmtチャンクが不正です"},
      {"nodata.wav", testwave::Riff("WAVE", fmt), "には、dataチャンクが有りません"},
      {"cut.wav",
       testwave::Riff("WAVE", testwave::Concat({fmt, testwave::Chunk("data", Bytes(50, 1), 5000)}),
                      8000),
       "のdataチャンクが不正です"},
  };
  int number = 0;
  for (const Case& c : cases) {
    const auto path = Write(c.name, c.bytes);
    TDDSDWaveData wave(&component_, false, path);
    EXPECT_EQ(wave.Buffer(), nullptr) << c.name;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "debug#%.5d ... ", ++number);
    EXPECT_EQ(LastLogLine(), prefix + path.string() + c.suffix);
  }
  TDDSDWaveData missing(&component_, false, dir_ / "missing.wav");
  EXPECT_EQ(missing.Buffer(), nullptr);
  EXPECT_EQ(LastLogLine(),
            "debug#00008 ... " + (dir_ / "missing.wav").string() + "が、見つかりません");
  EXPECT_EQ(LogLines().size(), 8u);
}

TEST_F(DdsdTest, WellFormedVariantsLoadTheirSound) {
  // 8-bit mono with an odd data length and a trailing chunk; an 18-byte record; an
  // extensible header describing PCM.
  Bytes eight = testwave::Riff(
      "WAVE", testwave::Concat({testwave::Chunk("fmt ", testwave::PcmFormat(1, 11025, 8)),
                                testwave::Chunk("data", Bytes(1001, 0x90)),
                                testwave::Chunk("LIST", Bytes(10, 0))}));
  Bytes eighteen = testwave::PcmFormat(2, 22050, 16);
  testwave::PutU16(eighteen, 0);
  Bytes withCbSize = testwave::Riff(
      "WAVE", testwave::Concat({testwave::Chunk("fmt ", eighteen),
                                testwave::Chunk("data", Constant16(2, 22050, 0.1, 100))}));
  Bytes extensible = testwave::Riff(
      "WAVE",
      testwave::Concat({testwave::Chunk("fmt ", testwave::ExtensibleFormat(2, 48000, 16, 1)),
                        testwave::Chunk("data", Constant16(2, 48000, 0.1, 100))}));
  struct Case {
    const char* name;
    Bytes bytes;
    int channels, rate, bits;
    DWORD size;
  };
  const Case cases[] = {{"eight.wav", eight, 1, 11025, 8, 1001},
                        {"cb.wav", withCbSize, 2, 22050, 16, 8820},
                        {"ext.wav", extensible, 2, 48000, 16, 19200}};
  for (const Case& c : cases) {
    TDDSDWaveData wave(&component_, false, Write(c.name, c.bytes));
    ASSERT_NE(wave.Buffer(), nullptr) << c.name << ": " << LastLogLine();
    EXPECT_EQ(wave.Format().wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wave.Format().nChannels, c.channels);
    EXPECT_EQ(wave.Format().nSamplesPerSec, static_cast<DWORD>(c.rate));
    EXPECT_EQ(wave.Format().wBitsPerSample, c.bits);
    EXPECT_EQ(wave.BufferSize(), c.size);
    DWORD frequency = 0;
    wave.Buffer()->GetFrequency(&frequency);
    EXPECT_EQ(frequency, static_cast<DWORD>(c.rate));
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    wave.Buffer()->GetCaps(&caps);
    EXPECT_EQ(caps.dwFlags & ~DSBCAPS_LOCSOFTWARE, 0xE0u | DSBCAPS_GLOBALFOCUS);
    EXPECT_EQ(caps.dwBufferBytes, c.size);
  }
  // The data reached the buffer byte for byte.
  TDDSDWaveData wave(&component_, false, dir_ / "eight.wav");
  void* part = nullptr;
  DWORD bytes = 0;
  ASSERT_EQ(wave.Buffer()->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER),
            DS_OK);
  EXPECT_EQ(static_cast<const std::uint8_t*>(part)[1000], 0x90);
  wave.Buffer()->Unlock(part, bytes, nullptr, 0);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(DdsdTest, MemoryImagesLoadLikeFiles) {
  const Bytes image = testwave::Wave16(1, 16000, Constant16(1, 16000, 0.25, 1234));
  TDDSDMemoryWave wave(&component_, false, image.data(), image.size(), "memory.wav");
  ASSERT_NE(wave.Buffer(), nullptr);
  EXPECT_EQ(wave.BufferSize(), 8000u);
  EXPECT_EQ(wave.Format().nSamplesPerSec, 16000u);
  const Bytes broken(image.begin(), image.begin() + 30);  // ends inside the "fmt " chunk
  TDDSDMemoryWave cut(&component_, false, broken.data(), broken.size(), "memory.wav");
  EXPECT_EQ(cut.Buffer(), nullptr);
  EXPECT_EQ(LastLogLine(), "debug#00001 ... memory.wavのfmtチャンクが不正です");
}

TEST_F(DdsdTest, FormatsDirectSoundRefusesAreReportedWithTheirCode) {
  Bytes floatWave = testwave::Riff(
      "WAVE",
      testwave::Concat({testwave::Chunk("fmt ", testwave::ExtensibleFormat(2, 48000, 32, 3)),
                        testwave::Chunk("data", Bytes(64, 0))}));
  const auto floatFile = Write("float.wav", floatWave);
  TDDSDWaveData wave(&component_, false, floatFile);
  EXPECT_EQ(wave.Buffer(), nullptr);
  EXPECT_EQ(LastLogLine(), "debug#00001 ... " + floatFile.string() +
                               ": サウンドバッファの作成に失敗しました(Error Code(88780064))");

  // Binding a wave that loaded nothing fails at the copy, like any DirectSound call.
  component_.Channel(0)->SetWaveData(&wave);
  EXPECT_EQ(component_.Channel(0)->Buffer(), nullptr);
  EXPECT_EQ(
      LastLogLine(),
      "debug#00002 ... setWaveData サウンドバッファの複製に失敗しました(Error Code(80070057))");
}

TEST_F(DdsdTest, ChannelIndexOutsideTheRangeIsRejected) {
  EXPECT_NE(component_.Channel(0), nullptr);
  EXPECT_NE(component_.Channel(6), nullptr);
  EXPECT_EQ(component_.Channel(7), nullptr);
  EXPECT_EQ(LastLogLine(),
            "debug#00001 ... チャンネル番号7は無効です、0～6の範囲で指定してください");
  EXPECT_EQ(component_.Channel(-1), nullptr);
  EXPECT_EQ(LastLogLine(),
            "debug#00002 ... チャンネル番号-1は無効です、0～6の範囲で指定してください");

  component_.SetDebugOption({dsoExceptOnError});
  try {
    component_.Channel(7);
    ADD_FAILURE() << "no EDDSD";
  } catch (const EDDSD& error) {
    EXPECT_STREQ(error.what(), "チャンネル番号7は無効です、0～6の範囲で指定してください");
  }
  EXPECT_EQ(LogLines().size(), 2u);  // the log is written only with dsoDebugMessage
}

TEST_F(DdsdTest, HaltingEndsTheProcessWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        component_.SetDebugOption({dsoHaltOnError});
        component_.Channel(8);
      },
      ::testing::ExitedWithCode(1), "チャンネル番号8は無効です、0～6の範囲で指定してください");
  EXPECT_EXIT(
      {
        component_.SetDebugOption({dsoHaltOnError});
        ddsd::Check(DSERR_BADFORMAT, "サウンドバッファの作成に失敗しました");
      },
      ::testing::ExitedWithCode(1),
      "サウンドバッファの作成に失敗しました\\(Error Code\\(88780064\\)\\)");
  // File errors alone never end the process.
  component_.SetDebugOption({dsoHaltOnError});
  TDDSDWaveData missing(&component_, false, dir_ / "missing.wav");
  EXPECT_EQ(missing.Buffer(), nullptr);
}

TEST_F(DdsdTest, TheFirstReportOfARunStartsAFreshLog) {
  {
    std::ofstream old(ddsd::LogFilePath(), std::ios::binary);
    old << "left over from an earlier run\r\nand more\r\n";
  }
  ddsd::SetLogFolder(dir_.Path());  // a new run as far as the log is concerned
  component_.Channel(99);
  component_.Channel(100);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("debug#00001 ... ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("debug#00002 ... ", 0), 0u);
  // Shift-JIS on disk.
  std::ifstream raw(ddsd::LogFilePath(), std::ios::binary);
  std::string first;
  std::getline(raw, first);
  EXPECT_NE(first.find(codepage::Utf8ToSjis("チャンネル番号")), std::string::npos);
}

TEST_F(DdsdTest, SevenChannelsBindPlayMixAndRestart) {
  std::vector<std::unique_ptr<TDDSDWaveData>> waves;
  for (int i = 0; i < 7; ++i) {
    const auto level = static_cast<std::int16_t>(1000 * (i + 1));
    waves.push_back(std::make_unique<TDDSDWaveData>(
        &component_, false,
        Write("effect" + std::to_string(i) + ".wav",
              testwave::Wave16(2, 44100, Constant16(2, 44100, 0.6, level)))));
    component_.Channel(i)->SetWaveData(waves.back().get());
    ASSERT_NE(component_.Channel(i)->Buffer(), nullptr);
    EXPECT_NE(component_.Channel(i)->Buffer(), waves.back()->Buffer());  // a duplicate
    EXPECT_EQ(component_.Channel(i)->Frequency(), 44100u);
    EXPECT_EQ(component_.Channel(i)->WaveData(), waves.back().get());
  }
  testwave::MixCapture capture;
  for (int i = 0; i < 7; ++i) {
    component_.Channel(i)->Play();
  }
  for (int i = 0; i < 7; ++i) {
    EXPECT_TRUE(Sounding(component_.Channel(i)));
  }
  for (int i = 0; i < 7; ++i) {
    WaitSilent(component_.Channel(i));
  }
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 28000);  // 1000 + 2000 + ... + 7000, all at once
  EXPECT_GT(capture.FramesAtLevel(28000), 44100u * 4 / 10);

  // Two correct answers in quick succession: effect 0 starts again instead of doubling.
  capture.Clear();
  component_.Channel(0)->Play();
  std::this_thread::sleep_for(250ms);
  component_.Channel(0)->Play();
  WaitSilent(component_.Channel(0));
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 1000);
  EXPECT_GT(capture.SoundingFrames(), static_cast<std::size_t>(44100 * 0.8));

  // A correct answer and a bonus overlap.
  capture.Clear();
  component_.Channel(0)->Play();
  component_.Channel(5)->Play();
  WaitSilent(component_.Channel(0));
  WaitSilent(component_.Channel(5));
  capture.WaitFrames(4096);
  EXPECT_EQ(capture.Peak(), 7000);

  component_.Channel(3)->Play();
  component_.Channel(3)->Stop();
  EXPECT_FALSE(Sounding(component_.Channel(3)));
  component_.Channel(3)->SetWaveData(nullptr);
  EXPECT_EQ(component_.Channel(3)->Buffer(), nullptr);
  component_.Channel(3)->Play();  // nothing bound: nothing happens
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(DdsdTest, EffectsWavesShareTheirOwnBuffer) {
  const auto path = Write("fx.wav", testwave::Wave16(1, 22050, Constant16(1, 22050, 0.3, 500)));
  auto wave = std::make_unique<TDDSDWaveData>(&component_, true, path);
  ASSERT_NE(wave->Buffer(), nullptr);
  DSBCAPS caps{};
  caps.dwSize = sizeof caps;
  wave->Buffer()->GetCaps(&caps);
  EXPECT_NE(caps.dwFlags & DSBCAPS_CTRLFX, 0u);
  component_.Channel(2)->SetWaveData(wave.get());
  EXPECT_EQ(component_.Channel(2)->Buffer(), wave->Buffer());
  EXPECT_EQ(wave->LastChannel(), component_.Channel(2));
  // Freeing the wave while a channel still holds its buffer leaves a reference behind.
  wave.reset();
  EXPECT_EQ(LastLogLine(), "debug#00001 ... 二次バッファの解放に失敗しました");
}

TEST(Ddsd, ThreeDChannelsGetTheLibraryDefaults) {
  testwave::TempDir dir;
  ddsd::SetLogFolder(dir.Path());
  TDDSD component;
  component.SetUse3D(true);
  component.SetDebugOption({dsoDebugMessage});
  component.Loaded();
  ASSERT_TRUE(component.Initialized());
  ASSERT_NE(component.Listener(), nullptr);
  DS3DLISTENER listener{};
  listener.dwSize = sizeof listener;
  IDirectSound3DListener* interface3D = nullptr;
  ASSERT_EQ(component.PrimaryBuffer()->QueryInterface(IID_IDirectSound3DListener,
                                                      reinterpret_cast<void**>(&interface3D)),
            S_OK);
  interface3D->GetAllParameters(&listener);
  interface3D->Release();
  EXPECT_EQ(listener.flRolloffFactor, 1.0f);

  testwave::WriteFile(dir / "mono.wav", testwave::Wave16(1, 22050, Constant16(1, 22050, 0.1, 9)));
  TDDSDWaveData wave(&component, false, dir / "mono.wav");
  ASSERT_NE(wave.Buffer(), nullptr);
  component.Channel(1)->SetWaveData(&wave);
  ASSERT_NE(component.Channel(1)->Buffer3D(), nullptr);
  DS3DBUFFER params{};
  params.dwSize = sizeof params;
  component.Channel(1)->Buffer3D()->GetAllParameters(&params);
  EXPECT_EQ(params.flMinDistance, 5.0f);
  EXPECT_EQ(params.flMaxDistance, 100.0f);
  EXPECT_EQ(params.dwOutsideConeAngle, 360u);

  // 3D sound is mono: a stereo wave cannot have a 3D buffer.
  testwave::WriteFile(dir / "stereo.wav", testwave::Wave16(2, 22050, Constant16(2, 22050, 0.1, 9)));
  TDDSDWaveData stereo(&component, false, dir / "stereo.wav");
  EXPECT_EQ(stereo.Buffer(), nullptr);
  std::ifstream log(ddsd::LogFilePath());
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find("(Error Code(80070057))"), std::string::npos);
}

TEST(Ddsd, WithoutASoundDeviceEverythingIsQuiet) {
  testwave::TempDir dir;
  ddsd::SetLogFolder(dir.Path());
  const char* previous = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    TDDSD component;
    component.SetChannelCount(7);
    component.SetDebugOption({dsoHaltOnError, dsoDebugMessage});
    component.Loaded();
    EXPECT_FALSE(component.Initialized());
    EXPECT_EQ(component.ChannelsMade(), 7);
    testwave::WriteFile(dir / "a.wav", testwave::Wave16(1, 8000, Constant16(1, 8000, 0.1, 9)));
    TDDSDWaveData wave(&component, false, dir / "a.wav");
    EXPECT_EQ(wave.Buffer(), nullptr);
    TDDSDWaveData missing(&component, false, dir / "missing.wav");
    component.Channel(0)->SetWaveData(&wave);  // no copy attempted, so no halt
    component.Channel(0)->SetWaveData(&missing);
    component.Channel(0)->Play();
    EXPECT_EQ(component.Channel(0)->Buffer(), nullptr);
  }
  EXPECT_FALSE(std::filesystem::exists(ddsd::LogFilePath()));  // nothing to report
  if (previous != nullptr) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

TEST(Ddsd, OneComponentPerWindow) {
  TNullWindow window(640, 480);
  TDDSD first(&window);
  try {
    TDDSD second(&window);
    ADD_FAILURE() << "a second component was accepted";
  } catch (const EDDSD&) {
    ADD_FAILURE() << "a plain exception was expected";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "DDSDコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  TNullWindow otherWindow(640, 480);
  TDDSD third(&otherWindow);  // another window may have its own
  EXPECT_EQ(third.ChannelCount(), 8);
  EXPECT_TRUE(third.StickyFocus());
  EXPECT_FALSE(third.Use3D());
  EXPECT_EQ(third.DebugOption(), TDDSDDebugOptions{dsoHaltOnError});
}
