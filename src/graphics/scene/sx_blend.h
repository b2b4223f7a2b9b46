// Blend modes of the scene (unit SXlib9): how a queued polygon is tested and blended. The scene
// keeps them in a table indexed by blend-mode number; the first six are built in.
#pragma once

#include <cstdint>
#include <vector>

struct TSXBlendMode {
  bool Translucent;   // a non-overlay polygon goes to the translucent (sorted) queue
  bool AlphaTest;     // D3DRS_ALPHATESTENABLE
  int32_t AlphaFunc;  // D3DCMPFUNC, compared against the queue's AlphaRef
  bool AlphaBlend;    // D3DRS_ALPHABLENDENABLE; when set, depth writes are off
  int32_t SrcBlend;   // D3DBLEND
  int32_t DestBlend;  // D3DBLEND
  int32_t BlendOp;    // D3DBLENDOP, only set on devices that support it
};

TSXBlendMode MakeBlendMode(bool translucent, bool alphaTest, int32_t alphaFunc, bool alphaBlend,
                           int32_t srcBlend, int32_t destBlend, int32_t blendOp);

// Numbers of the built-in modes, in table order.
enum TSXBuiltInBlendMode : int32_t {
  sxbOpaque = 0,          // no blending
  sxbAdditive = 1,        // src x alpha + dest
  sxbAlphaBlend = 2,      // src x alpha + dest x (1 - alpha): every sprite of the game
  sxbMultiply = 3,        // dest x src colour
  sxbDarken = 4,          // dest x (1 - src colour)
  sxbOpaqueAlphaTest = 5  // no blending, only texels with alpha above 128
};

inline constexpr int32_t kSXBuiltInBlendModeCount = 6;

// The six built-in modes, in table order.
std::vector<TSXBlendMode> BuiltInBlendModes();
