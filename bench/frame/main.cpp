// nightwisp-bench-frame: the game's worst-case frame, drawn by our software device and, in the
// same run, by two peers drawing the very same sprites (SDL2's software renderer and pixman), and
// one plain copy of a whole frame (the memory floor: no drawing can write a frame faster). One
// line per way of drawing:
//   frame <way>: ours_ms=.. sdl2_ms=.. ratio=<ours / sdl2> pixman_ms=.. ratio_pixman=..
//                floor_ms=.. ratio_floor=..
// and the targets for the game's own frame: ours <= 0.6 x pixman and <= 4 x the floor. The game's
// frame is measured as the game draws it, one after another with its fireflies moving, and
// (game-whole) drawn whole every time.
//   nightwisp-bench-frame [--game]   (--game: the game's own frame only)
#include <cstdio>
#include <cstring>
#include <vector>

#include "device_way.h"
#include "frame_content.h"
#include "game_way.h"
#include "pixman_peer.h"
#include "scene_way.h"
#include "sdl_peer.h"

namespace {

constexpr int kFrames = 300;
constexpr int kRounds = 3;
constexpr double kPixmanTarget = 0.6;
constexpr double kFloorTarget = 4.0;

// One full-frame memory pass: a frame's pixels copied to another frame.
class TMemoryPass {
 public:
  void DrawFrame() {
    std::memcpy(To_.data(), From_.data(), From_.size() * sizeof(std::uint32_t));
    From_[To_[Next_ % To_.size()] % From_.size()] += 1;  // keeps the copy from being skipped
    ++Next_;
  }

 private:
  std::vector<std::uint32_t> From_ = std::vector<std::uint32_t>(
      static_cast<std::size_t>(benchframe::kScreenWidth) * benchframe::kScreenHeight, 1);
  std::vector<std::uint32_t> To_ = std::vector<std::uint32_t>(From_.size());
  std::size_t Next_ = 0;
};

struct TFigures {
  double Ours = 0, Sdl = 0, Pixman = 0, Floor = 0;
};

// Alternates the contenders so that drifts of a shared machine hit them alike.
template <class Way>
TFigures Measure(Way& ours, benchframe::TSdlPeer& sdl, benchframe::TPixmanPeer& pixman) {
  TMemoryPass pass;
  TFigures f;
  for (int round = 0; round < kRounds; ++round) {
    f.Ours += benchframe::MeanMilliseconds(kFrames, [&] { ours.DrawFrame(); }) / kRounds;
    f.Sdl += benchframe::MeanMilliseconds(kFrames, [&] { sdl.DrawFrame(); }) / kRounds;
    f.Pixman += benchframe::MeanMilliseconds(kFrames, [&] { pixman.DrawFrame(); }) / kRounds;
    f.Floor += benchframe::MeanMilliseconds(kFrames, [&] { pass.DrawFrame(); }) / kRounds;
  }
  return f;
}

void PrintLine(const char* way, const TFigures& f, std::size_t sprites) {
  std::printf(
      "frame %s: ours_ms=%.3f sdl2_ms=%.3f ratio=%.3f pixman_ms=%.3f ratio_pixman=%.3f "
      "floor_ms=%.3f ratio_floor=%.2f (%zu sprites)\n",
      way, f.Ours, f.Sdl, f.Ours / f.Sdl, f.Pixman, f.Ours / f.Pixman, f.Floor, f.Ours / f.Floor,
      sprites);
}

template <class Way>
bool RunLine(const char* way, Way& ours, const benchframe::TFrameContent& content,
             TFigures* figures = nullptr) {
  if (!ours.Ok()) {
    std::fprintf(stderr, "frame %s: could not be set up on the software device\n", way);
    return false;
  }
  benchframe::TSdlPeer sdl(content);
  benchframe::TPixmanPeer pixman(content);
  if (!sdl.Ok() || !pixman.Ok()) {
    std::fprintf(stderr, "frame %s: a peer could not be set up\n", way);
    return false;
  }
  const TFigures f = Measure(ours, sdl, pixman);
  PrintLine(way, f, content.Sprites.size());
  if (figures != nullptr) *figures = f;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // --game: only the game's own frame (the window benchmark wants its draw time).
  const bool gameOnly = argc > 1 && std::strcmp(argv[1], "--game") == 0;
  bool ok = true;
  if (!gameOnly) {
    const benchframe::TFrameContent content = benchframe::MakeWorstCaseFrame(20240601);
    // The frame straight through the device: Clear, then one draw call per sprite.
    benchframe::TDeviceWay device(content);
    ok = RunLine("device", device, content) && ok;
    // The same frame as the game queues it: DrawPolygon for each sprite, then one Render.
    benchframe::TSceneWay scene(content);
    ok = RunLine("scene", scene, content) && ok;
  }
  // The game's own frame: DrawGameScreen and Render for a 39-character stage-3 question with
  // every display on, against the peers drawing the very sprites that frame queues.
  benchframe::TGameWay game;
  TFigures figures;
  // The same frame drawn whole every time, as the peers draw it.
  struct TWhole {
    benchframe::TGameWay& Game;
    bool Ok() const { return Game.Ok(); }
    void DrawFrame() { Game.DrawWholeFrame(); }
  } whole{game};
  if (!gameOnly && game.Ok()) ok = RunLine("game-whole", whole, game.Content()) && ok;
  if (game.Ok() && RunLine("game", game, game.Content(), &figures)) {
    const bool pixmanMet = figures.Ours <= kPixmanTarget * figures.Pixman;
    const bool floorMet = figures.Ours <= kFloorTarget * figures.Floor;
    std::printf("frame targets: game <= %.1f x pixman %s, game <= %.0f x floor %s\n", kPixmanTarget,
                pixmanMet ? "met" : "MISSED", kFloorTarget, floorMet ? "met" : "MISSED");
  } else {
    ok = false;
  }
  return ok ? 0 : 1;
}
