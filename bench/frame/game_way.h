// The frame as the game itself builds it: TGame's DrawGameScreen for a 39-character stage-3
// question with every display on, then the scene's Render, through the game's frame driver.
// The same queued sprites are handed to the peer as plain content.
#pragma once

#include <memory>

#include "frame_content.h"

namespace benchframe {

class TGameWay {
 public:
  TGameWay();
  ~TGameWay();
  TGameWay(const TGameWay&) = delete;
  TGameWay& operator=(const TGameWay&) = delete;

  bool Ok() const;
  // One frame: DrawGameScreen, Render, Present. The fireflies move from frame to frame, and the
  // device draws again only where the frame changed.
  void DrawFrame();
  // The same after a clear of one pixel, so that the device draws the whole frame.
  void DrawWholeFrame();
  // The sprites one frame queues, with the pictures they show, for the peer.
  const TFrameContent& Content() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl_;
};

}  // namespace benchframe
