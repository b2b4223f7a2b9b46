#include "audio/music.h"

void PlayMusic(TWindowsMediaPlayer& player, const std::u16string& musicName, int bgmRandom,
               DWORD& musicStartTime) {
  player.controls.stop();
  player.SetURL(musicName);
  player.settings.setMode(u"loop", bgmRandom == 0);
  player.controls.play();
  musicStartTime = timeGetTime();
}
