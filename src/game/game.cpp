// TGame's life: the window's components are made with it, everything else by start-up, and
// destroy frees it all in the window's order.
#include "game/game.h"

#include "game/game_owned.h"
#include "platform/clock/clock.h"
#include "platform/base/owner_window.h"

namespace game {

TGame::TGame(TGameWindow& window, TOwnerWindow& ownerWindow, TGamePaths paths)
    : Window(window),
      OwnerWindow(ownerWindow),
      GamePaths(std::move(paths)),
      Owned(std::make_unique<TOwned>()) {
  // The components the form carries: the device component and the sound component are
  // loaded with the form, both set to end the process on a library failure.
  Owned->DG = std::make_unique<TDGCarad>(&OwnerWindow);
  Owned->DG->SetDebugOption({dgoHaltOnError});
  Owned->DG->Loaded();
  Owned->DDSD1 = std::make_unique<TDDSD>(&OwnerWindow);
  Owned->DDSD1->SetChannelCount(kSoundEffectCount);
  Owned->DDSD1->SetDebugOption({dsoHaltOnError});
  Owned->DDSD1->Loaded();
  Owned->WindowsMediaPlayer1 = std::make_unique<TWindowsMediaPlayer>();
}

TGame::~TGame() {
  FormDestroy();
  // The form's components go with the form: the player, the sound, then the device.
  Owned->WindowsMediaPlayer1.reset();
  Owned->DDSD1.reset();
  Owned->DG.reset();
}

void TGame::FormDestroy() {
  if (Owned->Destroyed) return;
  Owned->Destroyed = true;
  S.StartupDone = 0;
  if (Owned->TimerPeriodSet) {
    timeEndPeriod(1);
    Owned->TimerPeriodSet = false;
  }
  Owned->MojiWriter.reset();
  Owned->LabelWriter.reset();
  for (int i = 0; i < kSoundEffectCount; ++i) {
    // A channel must not keep a freed wave.
    if (Owned->Waves[i] && Owned->DDSD1 && Owned->DDSD1->ChannelsMade() > i) {
      Owned->DDSD1->Channel(i)->SetWaveData(nullptr);
    }
    Owned->Waves[i].reset();
  }
  for (int i = 0; i < kMojiSlots; ++i) {
    Owned->MojiTextures[i].reset();
  }
  TOwned& o = *Owned;
  for (auto* pair :
       {&o.HotaruTexture,    &o.HikariTexture,       &o.PictureTexture,    &o.SpellingTexture,
        &o.SpellingTexture2, &o.ReadingTexture,      &o.KotaeTexture,      &o.KotaeTexture2,
        &o.SeikaiTexture,    &o.RenzokuTexture,      &o.FuseikaiTexture,   &o.TimeTexture,
        &o.TokutenTexture,   &o.SaikoTokutenTexture, &o.Message1Texture,   &o.Message2Texture,
        &o.SosaTexture,      &o.LogoTexture,         &o.MusicTitleTexture, &o.HintTexture,
        &o.HaikeiTexture}) {
    pair->reset();
  }
  Owned->Scene.reset();
  if (Owned->SpeechHandle != nullptr) {
    AquesTalkDa_Release(Owned->SpeechHandle);
    Owned->SpeechHandle = nullptr;
  }
}

}  // namespace game
