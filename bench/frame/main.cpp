// nightwisp-bench-frame: the game's worst-case frame, drawn by our software device and, in the
// same run, by SDL2's software renderer; one line per way of drawing:
//   frame <way>: ours_ms=<mean ms per frame> sdl2_ms=<mean ms per frame> ratio=<ours / sdl2>
#include <cstdio>

#include "device_way.h"
#include "frame_content.h"
#include "game_way.h"
#include "scene_way.h"
#include "sdl_peer.h"

namespace {

constexpr int kFrames = 300;

// The frame straight through the device: Clear, then one draw call per sprite.
bool RunDeviceLine(const benchframe::TFrameContent& content, benchframe::TSdlPeer& sdl) {
  benchframe::TDeviceWay device(content);
  if (!device.Ok()) {
    std::fprintf(stderr, "frame device: the software device could not be created\n");
    return false;
  }
  double ours = 0, peer = 0;
  // Alternate the two so that drifts of a shared machine hit both alike.
  for (int round = 0; round < 3; ++round) {
    ours += benchframe::MeanMilliseconds(kFrames, [&] { device.DrawFrame(); });
    peer += benchframe::MeanMilliseconds(kFrames, [&] { sdl.DrawFrame(); });
  }
  std::printf("frame device: ours_ms=%.3f sdl2_ms=%.3f ratio=%.3f\n", ours / 3, peer / 3,
              ours / peer);
  return true;
}

// The same frame as the game queues it: DrawPolygon for each sprite, then one Render.
bool RunSceneLine(const benchframe::TFrameContent& content, benchframe::TSdlPeer& sdl) {
  benchframe::TSceneWay scene(content);
  if (!scene.Ok()) {
    std::fprintf(stderr, "frame scene: the scene could not be set up on the software device\n");
    return false;
  }
  double ours = 0, peer = 0;
  for (int round = 0; round < 3; ++round) {
    ours += benchframe::MeanMilliseconds(kFrames, [&] { scene.DrawFrame(); });
    peer += benchframe::MeanMilliseconds(kFrames, [&] { sdl.DrawFrame(); });
  }
  std::printf("frame scene: ours_ms=%.3f sdl2_ms=%.3f ratio=%.3f\n", ours / 3, peer / 3,
              ours / peer);
  return true;
}

// The game's own frame: DrawGameScreen and Render for a 39-character stage-3 question with every
// display on, against the peer drawing the very sprites that frame queues.
bool RunGameLine() {
  benchframe::TGameWay game;
  if (!game.Ok()) {
    std::fprintf(stderr, "frame game: the game could not start on the software device\n");
    return false;
  }
  benchframe::TSdlPeer sdl(game.Content());
  if (!sdl.Ok()) return false;
  double ours = 0, peer = 0;
  for (int round = 0; round < 3; ++round) {
    ours += benchframe::MeanMilliseconds(kFrames, [&] { game.DrawFrame(); });
    peer += benchframe::MeanMilliseconds(kFrames, [&] { sdl.DrawFrame(); });
  }
  std::printf("frame game: ours_ms=%.3f sdl2_ms=%.3f ratio=%.3f (%zu sprites)\n", ours / 3,
              peer / 3, ours / peer, game.Content().Sprites.size());
  return true;
}

}  // namespace

int main() {
  const benchframe::TFrameContent content = benchframe::MakeWorstCaseFrame(20240601);
  benchframe::TSdlPeer sdl(content);
  if (!sdl.Ok()) {
    std::fprintf(stderr, "SDL2's software renderer is not available: %s\n", SDL_GetError());
    return 1;
  }
  bool ok = RunDeviceLine(content, sdl);
  ok = RunSceneLine(content, sdl) && ok;
  ok = RunGameLine() && ok;
  return ok ? 0 : 1;
}
