// The media player on the shared device's music hook.
#include "platform/wmp/wmp.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "platform/codepage/codepage.h"
#include "platform/wmp/short_loop.h"

namespace {

constexpr int kChannels = 2;

// The player whose media the music hook plays, if any.
const TWindowsMediaPlayer* streamOwner = nullptr;

std::string Lower(const std::u16string& text) {
  std::string out = codepage::Utf16ToUtf8(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

bool TWindowsMediaPlayer::TSettings::*TWindowsMediaPlayer::TSettings::ModeFlag(
    const std::u16string& modeName) {
  const std::string mode = Lower(modeName);
  if (mode == "loop") return &TSettings::loop_;
  if (mode == "autorewind") return &TSettings::autoRewind_;
  if (mode == "showframe") return &TSettings::showFrame_;
  if (mode == "shuffle") return &TSettings::shuffle_;
  throw EMediaPlayer("メディアプレーヤーのモード \"" + codepage::Utf16ToUtf8(modeName) +
                     "\" はありません");
}

void TWindowsMediaPlayer::TSettings::setMode(const std::u16string& modeName, bool value) {
  this->*ModeFlag(modeName) = value;
}

bool TWindowsMediaPlayer::TSettings::getMode(const std::u16string& modeName) const {
  return this->*ModeFlag(modeName);
}

void TWindowsMediaPlayer::TControls::play() { player_.Play(); }
void TWindowsMediaPlayer::TControls::stop() { player_.Stop(); }
double TWindowsMediaPlayer::TMedia::duration() const { return player_.Duration(); }

TWindowsMediaPlayer::TWindowsMediaPlayer() : controls(*this), currentMedia(*this) {}

TWindowsMediaPlayer::~TWindowsMediaPlayer() { Stop(); }

bool TWindowsMediaPlayer::OwnsStream() const { return source_ && streamOwner == this; }

void TWindowsMediaPlayer::SetURL(const std::u16string& url) {
  if (opening_) {
    throw EMediaPlayer("音楽ファイルを開いている途中です: " + codepage::Utf16ToUtf8(url));
  }
  Stop();
  source_.reset();
  url_ = url;
  if (url.empty()) {
    return;
  }
  const std::string path = codepage::Utf16ToUtf8(url);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    url_.clear();
    throw EMediaPlayer("音楽ファイルが見つかりません: " + path, TMediaFault::Missing);
  }
  if (std::filesystem::file_size(path, error) == 0 && !error) {
    url_.clear();
    throw EMediaPlayer("音楽ファイルが空です: " + path, TMediaFault::Empty);
  }
  const int rate =
      session_.Kind() == mixer::Output::kNone ? mixer::kDeviceRate : mixer::DeviceRateInUse();
  try {
    opening_ = true;
    source_ =
        std::make_unique<wmp::TShortLoopSource>(wmp::OpenMediaSource(path, rate, waiting_), rate);
    opening_ = false;
  } catch (const EMediaPlayer& reason) {
    opening_ = false;
    url_.clear();
    throw EMediaPlayer("音楽ファイルを再生できません: " + path + " (" + reason.what() + ")",
                       reason.Fault());
  }
  // Music that lasts no time would only spin when looped.
  if (source_->Seconds() <= 0.0) {
    source_.reset();
    url_.clear();
    throw EMediaPlayer("音楽ファイルを再生できません: " + path + " (長さが 0 秒です)",
                       TMediaFault::Empty);
  }
  sinceStart_ = 0;
}

void TWindowsMediaPlayer::Play() {
  if (!source_ || session_.Kind() == mixer::Output::kNone) {
    return;
  }
  if (IsPlaying()) {
    return;  // already playing: play does not rewind
  }
  int rate = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) == 0 || format != AUDIO_S16SYS ||
      channels != kChannels) {
    throw EMediaPlayer("音楽を再生できません: " + codepage::Utf16ToUtf8(url_) +
                       " (出力装置の形式が合いません)");
  }
  Mix_HookMusic(nullptr, nullptr);  // from here on the audio thread leaves the source alone
  if (sinceStart_ > 0 && !source_->Rewind()) {
    streamOwner = nullptr;
    throw EMediaPlayer("音楽を再生できません: " + codepage::Utf16ToUtf8(url_) +
                       " (先頭に戻れません)");
  }
  sinceStart_ = 0;
  looping_ = settings.loop_;
  ended_ = false;
  started_ = true;
  streamOwner = this;
  Mix_HookMusic(&TWindowsMediaPlayer::Fill, this);
}

void TWindowsMediaPlayer::Fill(void* self, std::uint8_t* stream, int bytes) {
  auto& player = *static_cast<TWindowsMediaPlayer*>(self);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  const std::size_t frames = static_cast<std::size_t>(bytes) / (kChannels * sizeof(std::int16_t));
  std::size_t done = 0;
  while (done < frames && !player.ended_) {
    const std::size_t got = player.source_->Read(out + done * kChannels, frames - done);
    if (got > 0) {
      done += got;
      player.sinceStart_ += got;
      continue;
    }
    // The end of the media. A loop starts it over, unless nothing came since the last start:
    // then it would only spin.
    if (player.looping_ && player.sinceStart_ > 0 && player.source_->Rewind()) {
      player.sinceStart_ = 0;
      continue;
    }
    player.ended_ = true;
  }
  std::memset(out + done * kChannels, 0, (frames - done) * kChannels * sizeof(std::int16_t));
}

void TWindowsMediaPlayer::Stop() {
  if (OwnsStream()) {
    Mix_HookMusic(nullptr, nullptr);
    streamOwner = nullptr;
  }
  started_ = false;
}

bool TWindowsMediaPlayer::IsPlaying() const { return OwnsStream() && !ended_; }

bool TWindowsMediaPlayer::TrackEnded() const { return started_ && !IsPlaying(); }
