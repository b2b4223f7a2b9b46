// The objects the game window owns: the device, the scene, the text writers, the textures, the
// sound, the music player and the speech engine. This record is their one owner; TGame's
// handlers and the tests reach them through it (TGame::Objects()).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "audio/ddsd.h"
#include "game/game.h"
#include "graphics/device/dg_carad.h"
#include "graphics/device/dg_texture.h"
#include "graphics/scene/sx_scene.h"
#include "graphics/scene/sx_textwriter.h"
#include "platform/gdi/font.h"
#include "platform/speech/aquestalk.h"
#include "platform/wmp/wmp.h"

namespace game {

// The label writer's size in points.
constexpr int kLabelPoints = 18;

// How wide a texture written with the text in the writer's font is: the text, and room for
// the slant of its last character when the font is italic.
template <class Text>
std::int32_t TextTextureWidth(TSXTextWriter& writer, const Text& text) {
  const std::int32_t slant =
      (writer.Font().Style() & gdi::fsItalic) != 0 ? writer.TextWidth("a") / 2 : 0;
  return writer.TextWidth(text) + slant;
}

struct TGame::TOwned {
  // Components placed on the window: made with it, before start-up runs.
  std::unique_ptr<TDGCarad> DG;
  std::unique_ptr<TDDSD> DDSD1;
  std::unique_ptr<TWindowsMediaPlayer> WindowsMediaPlayer1;

  // Made by start-up, freed by destroy.
  std::unique_ptr<TSXScene> Scene;
  gdi::TFont WindowFont;  // 32 pixels, bold, Shift-JIS; the icon-title face
  std::unique_ptr<TSXTextWriter> MojiWriter;
  std::unique_ptr<TSXTextWriter> LabelWriter;
  std::array<std::unique_ptr<TDDSDWaveData>, kSoundEffectCount> Waves;
  std::array<std::unique_ptr<TDGTexture>, kMojiSlots> MojiTextures;
  std::unique_ptr<TDGTexture> HotaruTexture, HikariTexture, PictureTexture, KotaeTexture,
      KotaeTexture2, HaikeiTexture, SosaTexture, LogoTexture;
  // The text displays (label_table.h), and the panels of those drawn on one.
  std::array<std::unique_ptr<TDGTexture>, kLabelCount> Labels, Panels;
  std::unique_ptr<TDGTexture>& Label(TLabel label) {
    return Labels[static_cast<std::size_t>(label)];
  }
  std::unique_ptr<TDGTexture>& Panel(TLabel label) {
    return Panels[static_cast<std::size_t>(label)];
  }
  // The results panel at game over and game clear: each column's box and its text
  // (game_results_panel.cpp), made with the other textures at start-up.
  std::array<std::unique_ptr<TDGTexture>, 4> ResultsTextures;
  H_AQTKDA SpeechHandle = nullptr;

  bool TimerPeriodSet = false;  // timeBeginPeriod(1) is waiting for its timeEndPeriod
};

}  // namespace game
