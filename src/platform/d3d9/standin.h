// Controls of our software Direct3D 9 that only tests and tools use: the capabilities the adapter
// reports (switchable, so that every branch of the graphics code can run) and device loss.
#pragma once

#include <vector>

#include "platform/d3d9/d3d9.h"

namespace d3d9standin {

// What the one adapter offers. Read afresh by every query and by device and texture creation, so
// a test changes it before it creates the objects it wants to see the change.
struct Config {
  bool HalAvailable = true;         // false: HAL caps and HAL devices are D3DERR_NOTAVAILABLE
  bool HardwareTnL = true;          // D3DDEVCAPS_HWTRANSFORMANDLIGHT; hardware VP needs it
  bool BlendOpSupported = true;     // D3DPMISCCAPS_BLENDOP; without it D3DRS_BLENDOP stays ADD
  bool Pow2Textures = false;        // D3DPTEXTURECAPS_POW2: sides must be powers of two
  bool SquareOnlyTextures = false;  // D3DPTEXTURECAPS_SQUAREONLY: width must equal height
  UINT MaxTextureWidth = 8192;
  UINT MaxTextureHeight = 8192;
  // Texture formats CheckDeviceFormat accepts and CreateTexture creates (among those the
  // rasteriser can sample: A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, X4R4G4B4,
  // A8, L8, A8L8).
  std::vector<D3DFORMAT> TextureFormats = {
      D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
      D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A8,     D3DFMT_L8,       D3DFMT_A8L8};
  // Depth-stencil formats CheckDepthStencilMatch and CreateDevice accept.
  std::vector<D3DFORMAT> DepthFormats = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32};
  // The desktop: its mode is the adapter's display mode.
  UINT DesktopWidth = 1920;
  UINT DesktopHeight = 1080;
  UINT DesktopRefreshRate = 60;
  D3DFORMAT DesktopFormat = D3DFMT_X8R8G8B8;
  // Texture memory GetAvailableTextureMem starts from (every live texture uses some).
  UINT64 TextureMemory = 512ull * 1024 * 1024;
  // Axis-aligned quads take a shortcut with the very same result; tests switch it off to compare.
  bool QuadFastPath = true;

  // A format of TextureFormats that the rasteriser can sample.
  bool OffersTexture(D3DFORMAT format) const;
  // A format of DepthFormats.
  bool OffersDepth(D3DFORMAT format) const;
};

// The settings every Direct3D object of the process reads (a unit-wide record).
Config& GetConfig();
// Back to the defaults above.
void ResetConfig();

// Makes the device lost, as when another program takes the screen: TestCooperativeLevel and
// Present give D3DERR_DEVICELOST for the next lostChecks calls of TestCooperativeLevel, then
// D3DERR_DEVICENOTRESET until a Reset succeeds. Drawing does nothing meanwhile; the back buffer
// and default-pool textures lose their contents, managed textures keep theirs.
void LoseDevice(IDirect3DDevice9* device, int lostChecks = 1);

// True when the device is lost or waits for its reset.
bool IsDeviceLost(IDirect3DDevice9* device);

}  // namespace d3d9standin
