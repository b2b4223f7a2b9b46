// The media player on SDL_mixer's music stream.
#include "platform/wmp/wmp.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/codepage/codepage.h"

namespace {

// The music this process last started, whichever player it belongs to.
Mix_Music* streamOwner = nullptr;

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

TWindowsMediaPlayer::~TWindowsMediaPlayer() {
  Stop();
  if (music_ != nullptr) {
    Mix_FreeMusic(static_cast<Mix_Music*>(music_));
  }
}

bool TWindowsMediaPlayer::OwnsStream() const {
  return music_ != nullptr && streamOwner == static_cast<Mix_Music*>(music_);
}

void TWindowsMediaPlayer::SetURL(const std::u16string& url) {
  Stop();
  if (music_ != nullptr) {
    Mix_FreeMusic(static_cast<Mix_Music*>(music_));
    music_ = nullptr;
  }
  url_ = url;
  duration_ = 0.0;
  if (url.empty()) {
    return;
  }
  const std::string path = codepage::Utf16ToUtf8(url);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    url_.clear();
    throw EMediaPlayer("音楽ファイルが見つかりません: " + path);
  }
  if (session_.Kind() == mixer::Output::kNone) {
    return;  // nothing can decode without a device; the file stays the current media
  }
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  if (music == nullptr) {
    url_.clear();
    throw EMediaPlayer("音楽ファイルを再生できません: " + path + " (" + SDL_GetError() + ")");
  }
  music_ = music;
  const double length = Mix_MusicDuration(music);
  duration_ = length > 0.0 ? length : 0.0;
}

void TWindowsMediaPlayer::Play() {
  if (music_ == nullptr) {
    return;
  }
  if (OwnsStream() && Mix_PlayingMusic() != 0) {
    return;  // already playing: play does not rewind
  }
  auto* music = static_cast<Mix_Music*>(music_);
  if (Mix_PlayMusic(music, settings.loop_ ? -1 : 1) != 0) {
    throw EMediaPlayer("音楽を再生できません: " + codepage::Utf16ToUtf8(url_) + " (" +
                       SDL_GetError() + ")");
  }
  streamOwner = music;
  started_ = true;
  fromStart_ = true;
  startTime_ = std::chrono::steady_clock::now();
}

double TWindowsMediaPlayer::Duration() const {
  if (duration_ == 0.0 && fromStart_ && TrackEnded()) {
    duration_ =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
  }
  return duration_;
}

void TWindowsMediaPlayer::Stop() {
  if (OwnsStream()) {
    Mix_HaltMusic();
    streamOwner = nullptr;
  }
  started_ = false;
  fromStart_ = false;
}

bool TWindowsMediaPlayer::IsPlaying() const { return OwnsStream() && Mix_PlayingMusic() != 0; }

bool TWindowsMediaPlayer::TrackEnded() const { return started_ && !IsPlaying(); }
