// The media player control as the game uses it: URL, settings.setMode("loop", flag),
// controls.play, controls.stop and currentMedia.duration. libmpg123 decodes MP3; FFmpeg, in a
// decoder process of its own (nightwisp-decode), every other format but MIDI (WMA, WAV, AIFF/AIFC,
// Ogg Vorbis, Opus, FLAC, AAC/M4A); MIDI plays on FluidSynth with a General MIDI sound font. The
// samples go to SDL_mixer's music hook on the shared device.
//
// A file that cannot be opened or decoded, or that lasts no time at all, raises EMediaPlayer
// when it becomes the URL. Its length is known from then on. Without an output device the
// player runs on a silent device and behaves the same, durations included. The process has one
// music stream: a player that starts playing takes it over. The loop mode applies from the
// next play.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/mixer/mixer.h"
#include "platform/wmp/media_source.h"

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
    // Seconds; 0 while there is no media.
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
  // opened or decoded, or its length is 0; the previous media is then gone). An empty URL
  // closes the media.
  void SetURL(const std::u16string& url);
  const std::u16string& URL() const { return url_; }
  // Called every few milliseconds while a file is being opened by the general decoder, so that
  // the window can go on painting and answering. A URL set from inside it is refused.
  void SetWaiting(std::function<void()> waiting) { waiting_ = std::move(waiting); }

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
  double Duration() const { return source_ ? source_->Seconds() : 0.0; }
  // The music hook: fills the device's music stream from the source (on the audio thread,
  // which never runs while the hook is being set or removed).
  static void Fill(void* self, std::uint8_t* stream, int bytes);

  mixer::Session session_;
  std::u16string url_;
  std::unique_ptr<wmp::TMediaSource> source_;
  std::function<void()> waiting_;
  bool opening_ = false;            // SetURL is waiting for the decoder
  bool started_ = false;            // play was called and stop was not
  bool looping_ = false;            // the loop mode of the current play
  std::size_t sinceStart_ = 0;      // frames read since the source was opened or rewound
  std::atomic<bool> ended_{false};  // the current play ran out (set on the audio thread)
};
