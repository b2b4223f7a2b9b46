#include "graphics/scene/sx_state_restorer.h"

TSXStateRestorer::TSXStateRestorer(TDGCarad* carad) : Carad_(carad) { Reset(); }

void TSXStateRestorer::Reset() {
  RenderStateSaved_.reset();
  Count_ = 0;
  for (TStageSlots& stage : Stages_) {
    stage.Saved.reset();
    stage.Texture = nullptr;
  }
}
