// The media player control as the game uses it: URL, settings.setMode("loop", flag),
// controls.play, controls.stop and currentMedia.duration, on SDL_mixer's music stream
// (MP3, MIDI through the freepats instruments, WAV, AIFF/AIFC, Ogg Vorbis, FLAC).
//
// A file that cannot be opened or decoded raises EMediaPlayer when it becomes the URL. Without
// an output device the player runs on a silent device and behaves the same, durations
// included. The process has one music stream: a player that starts playing takes it over.
// The loop mode applies from the next play.
#pragma once

#include <chrono>
#include <string>

#include "platform/base/exception.h"
#include "platform/mixer/mixer.h"

class EMediaPlayer : public Exception {
 public:
  using Exception::Exception;
};

class TWindowsMediaPlayer {
 public:
  class TSettings {
   public:
    // Modes: "loop", "autoRewind", "showFrame", "shuffle" (names compared without case).
    // Unknown names raise EMediaPlayer.
    void setMode(const std::u16string& modeName, bool value);
    bool getMode(const std::u16string& modeName) const;

   private:
    friend class TWindowsMediaPlayer;
    // The flag a mode name stands for; raises EMediaPlayer for an unknown name.
    static bool TSettings::*ModeFlag(const std::u16string& modeName);

    bool loop_ = false;
    bool autoRewind_ = true;
    bool showFrame_ = false;
    bool shuffle_ = false;
  };

  class TControls {
   public:
    // Starts the current media from its beginning; while it is playing, nothing changes.
    void play();
    // Stops; harmless when nothing plays.
    void stop();

   private:
    friend class TWindowsMediaPlayer;
    explicit TControls(TWindowsMediaPlayer& player) : player_(player) {}
    TWindowsMediaPlayer& player_;
  };

  class TMedia {
   public:
    // Seconds; 0 while there is no media or its length is not known. For media whose decoder
    // cannot tell its length (MIDI), the length becomes known once it has played to its end.
    double duration() const;

   private:
    friend class TWindowsMediaPlayer;
    explicit TMedia(TWindowsMediaPlayer& player) : player_(player) {}
    TWindowsMediaPlayer& player_;
  };

  TWindowsMediaPlayer();
  ~TWindowsMediaPlayer();
  TWindowsMediaPlayer(const TWindowsMediaPlayer&) = delete;
  TWindowsMediaPlayer& operator=(const TWindowsMediaPlayer&) = delete;

  // The path of the music file; it is opened at once (raising EMediaPlayer when it cannot be
  // opened or decoded; the previous media is then gone). An empty URL closes the media.
  void SetURL(const std::u16string& url);
  const std::u16string& URL() const { return url_; }

  // Whether the current media is sounding.
  bool IsPlaying() const;
  // Whether the media was played and ran to its end by itself (never while looping).
  bool TrackEnded() const;

  TSettings settings;
  TControls controls;
  TMedia currentMedia;

 private:
  void Play();
  void Stop();
  bool OwnsStream() const;

  mixer::Session session_;
  std::u16string url_;
  void* music_ = nullptr;  // Mix_Music
  double Duration() const;

  mutable double duration_ = 0.0;
  bool started_ = false;    // play was called and stop was not
  bool fromStart_ = false;  // the current play began at the start of the media
  std::chrono::steady_clock::time_point startTime_{};
};
