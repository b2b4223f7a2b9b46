// Specified by the design, not used by the game: room to save device states and put them back
// later (unit SXlib9). The scene creates and frees one, as the design has it, but never records
// or restores through it: the rendering queues keep their own per-pass cache instead.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

class TDGCarad;
class IDirect3DBaseTexture9;

class TSXStateRestorer {
 public:
  static constexpr int kRenderStateSlots = 256;
  static constexpr int kStageCount = 8;
  // Within a stage's slots, texture-stage state n sits at n and sampler state n at
  // kSamplerSlotBase + n.
  static constexpr int kStageSlots = 256;
  static constexpr int kSamplerSlotBase = 128;

  struct TStageSlots {
    std::array<uint32_t, kStageSlots> Values{};
    std::bitset<kStageSlots> Saved;
    IDirect3DBaseTexture9* Texture = nullptr;  // not referenced: nothing is ever recorded
  };

  explicit TSXStateRestorer(TDGCarad* carad);

  // Forgets everything saved: all sets empty, count 0, no texture references.
  void Reset();

  TDGCarad* Carad() const { return Carad_; }
  uint32_t Count() const { return Count_; }
  bool RenderStateSaved(int state) const { return RenderStateSaved_.test(state); }
  uint32_t RenderStateValue(int state) const { return RenderStateValues_[state]; }
  const TStageSlots& Stage(int stage) const { return Stages_[stage]; }

 private:
  TDGCarad* Carad_;
  std::array<uint32_t, kRenderStateSlots> RenderStateValues_{};
  std::bitset<kRenderStateSlots> RenderStateSaved_;
  uint32_t Count_ = 0;
  std::array<TStageSlots, kStageCount> Stages_;
};
