// Vertices of the scene (unit SXlib9): what callers give for each corner of a polygon, and the
// pre-transformed vertex the scene hands to the device.
#pragma once

#include <cstdint>

// One corner of a queued polygon. X and Y are pixels relative to the polygon's position (Y runs
// downwards); Diffuse multiplies the texel's colour and alpha.
struct TSXVertex {
  float X;
  float Y;
  uint32_t Diffuse;   // ARGB, alpha in the top byte
  uint32_t Specular;  // ARGB; the game always passes 0
  float U;
  float V;
};

// Argument order as the callers write it: colours first, then position, then texture coordinates.
TSXVertex MakeVertex(uint32_t diffuse, uint32_t specular, float x, float y, float u, float v);

// The vertex layout sent to DrawPrimitiveUP: XYZRHW | DIFFUSE | SPECULAR | TEX1, 32 bytes.
struct TSXDeviceVertex {
  float X;
  float Y;
  float Z;
  float RHW;
  uint32_t Diffuse;
  uint32_t Specular;
  float U;
  float V;
};
static_assert(sizeof(TSXDeviceVertex) == 32, "the device reads 32-byte vertices");

inline constexpr uint32_t kSXDeviceVertexFVF = 0x1C4;

// Pre-transformed vertices go out with RHW 0.5; positions are used exactly as given, without a
// half-pixel shift, so a texture drawn at its own size at an integer position lands texel for
// texel on the back buffer.
inline constexpr float kSXDeviceVertexRHW = 0.5f;

// Places `vertex` at (posX, posY) and depth z.
TSXDeviceVertex MakeDeviceVertex(const TSXVertex& vertex, float posX, float posY, float z);
