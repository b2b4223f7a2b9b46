// The sound effects, the speech and the media player behind the rules' hooks.
#include <cstdio>

#include "audio/music.h"
#include "audio/speech.h"
#include "game/game.h"
#include "game/game_owned.h"
#include "platform/codepage/codepage.h"
#include "rules/music_reasons.h"

namespace game {

void TGame::PlaySoundEffect(int index) {
  TDDSD* sound = Owned->DDSD1.get();
  // Without a sound device the channels hold no buffers: the game goes on silently.
  if (sound == nullptr || !sound->Initialized() || index >= sound->ChannelsMade()) return;
  sound->Channel(index)->Play();
}

void TGame::Speak(const std::u16string& speech) { SpeakSpeechString(speech); }

namespace {

const char* ReasonOf(TMediaFault fault) {
  switch (fault) {
    case TMediaFault::Missing:
      return music_reasons::kMissing;
    case TMediaFault::NotMusic:
      return music_reasons::kNotMusic;
    case TMediaFault::Unsupported:
      return music_reasons::kUnsupported;
    case TMediaFault::Damaged:
      return music_reasons::kDamaged;
    case TMediaFault::TooLong:
      return music_reasons::kTooLong;
    case TMediaFault::Empty:
      return music_reasons::kEmpty;
    case TMediaFault::Other:
      break;
  }
  return music_reasons::kOther;
}

}  // namespace

std::optional<std::string> TGame::TryPlayMusic() {
  try {
    ::PlayMusic(*Owned->WindowsMediaPlayer1, codepage::Utf8ToUtf16(S.MusicName), S.BgmRandom,
                S.MusicStartTime);
    return std::nullopt;
  } catch (const EMediaPlayer& e) {
    // The library's details are for the maintainer; the player's box gives the kind of fault.
    std::fprintf(stderr, "nightwisp: %s: %s\n", S.MusicName.c_str(), e.what());
    return ReasonOf(e.Fault());
  }
}

void TGame::StopMusic() {
  if (Owned->WindowsMediaPlayer1.get() != nullptr) Owned->WindowsMediaPlayer1->controls.stop();
}

double TGame::MusicDuration() { return Owned->WindowsMediaPlayer1->currentMedia.duration(); }

bool TGame::MusicRanOut() {
  return Owned->WindowsMediaPlayer1.get() != nullptr && Owned->WindowsMediaPlayer1->TrackEnded();
}

}  // namespace game
