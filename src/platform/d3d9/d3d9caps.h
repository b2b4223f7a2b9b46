// Direct3D 9's device capability record and the capability bits this system reads or our software
// device reports, under their published names and values: first the bits the system reads, then,
// in their own section, the rest of the software device's report.
#pragma once

#include "platform/d3d9/d3d9types.h"

struct D3DVSHADERCAPS2_0 {
  DWORD Caps = 0;
  INT DynamicFlowControlDepth = 0;
  INT NumTemps = 0;
  INT StaticFlowControlDepth = 0;
};

struct D3DPSHADERCAPS2_0 {
  DWORD Caps = 0;
  INT DynamicFlowControlDepth = 0;
  INT NumTemps = 0;
  INT StaticFlowControlDepth = 0;
  INT NumInstructionSlots = 0;
};

struct D3DCAPS9 {
  D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
  UINT AdapterOrdinal = 0;
  DWORD Caps = 0;
  DWORD Caps2 = 0;
  DWORD Caps3 = 0;
  DWORD PresentationIntervals = 0;
  DWORD CursorCaps = 0;
  DWORD DevCaps = 0;
  DWORD PrimitiveMiscCaps = 0;
  DWORD RasterCaps = 0;
  DWORD ZCmpCaps = 0;
  DWORD SrcBlendCaps = 0;
  DWORD DestBlendCaps = 0;
  DWORD AlphaCmpCaps = 0;
  DWORD ShadeCaps = 0;
  DWORD TextureCaps = 0;
  DWORD TextureFilterCaps = 0;
  DWORD CubeTextureFilterCaps = 0;
  DWORD VolumeTextureFilterCaps = 0;
  DWORD TextureAddressCaps = 0;
  DWORD VolumeTextureAddressCaps = 0;
  DWORD LineCaps = 0;
  DWORD MaxTextureWidth = 0;
  DWORD MaxTextureHeight = 0;
  DWORD MaxVolumeExtent = 0;
  DWORD MaxTextureRepeat = 0;
  DWORD MaxTextureAspectRatio = 0;
  DWORD MaxAnisotropy = 0;
  float MaxVertexW = 0.0f;
  float GuardBandLeft = 0.0f;
  float GuardBandTop = 0.0f;
  float GuardBandRight = 0.0f;
  float GuardBandBottom = 0.0f;
  float ExtentsAdjust = 0.0f;
  DWORD StencilCaps = 0;
  DWORD FVFCaps = 0;
  DWORD TextureOpCaps = 0;
  DWORD MaxTextureBlendStages = 0;
  DWORD MaxSimultaneousTextures = 0;
  DWORD VertexProcessingCaps = 0;
  DWORD MaxActiveLights = 0;
  DWORD MaxUserClipPlanes = 0;
  DWORD MaxVertexBlendMatrices = 0;
  DWORD MaxVertexBlendMatrixIndex = 0;
  float MaxPointSize = 0.0f;
  DWORD MaxPrimitiveCount = 0;
  DWORD MaxVertexIndex = 0;
  DWORD MaxStreams = 0;
  DWORD MaxStreamStride = 0;
  DWORD VertexShaderVersion = 0;
  DWORD MaxVertexShaderConst = 0;
  DWORD PixelShaderVersion = 0;
  float PixelShader1xMaxValue = 0.0f;
  DWORD DevCaps2 = 0;
  float MaxNpatchTessellationLevel = 0.0f;
  DWORD Reserved5 = 0;
  UINT MasterAdapterOrdinal = 0;
  UINT AdapterOrdinalInGroup = 0;
  UINT NumberOfAdaptersInGroup = 0;
  DWORD DeclTypes = 0;
  DWORD NumSimultaneousRTs = 0;
  DWORD StretchRectFilterCaps = 0;
  D3DVSHADERCAPS2_0 VS20Caps = {};
  D3DPSHADERCAPS2_0 PS20Caps = {};
  DWORD VertexTextureFilterCaps = 0;
  DWORD MaxVShaderInstructionsExecuted = 0;
  DWORD MaxPShaderInstructionsExecuted = 0;
  DWORD MaxVertexShader30InstructionSlots = 0;
  DWORD MaxPixelShader30InstructionSlots = 0;
};

// ---- The capabilities the system reads ----------------------------------------------------------
// The device component creates a device with hardware vertex processing only with the first;
// textures follow the power-of-two and square-only rules and MaxTextureWidth/Height; the scene
// sets the blend operation only with D3DPMISCCAPS_BLENDOP.
inline constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
inline constexpr DWORD D3DPMISCCAPS_BLENDOP = 0x00000800;
inline constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
inline constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;

// ---- Specified by the design, not used by the game: the rest of the device's report ------------
// The software device describes itself through GetDeviceCaps with these as well (each promises
// only what it accepts); nothing in this system reads them.

// Caps2.
inline constexpr DWORD D3DCAPS2_CANMANAGERESOURCE = 0x10000000;
inline constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;

// DevCaps.
inline constexpr DWORD D3DDEVCAPS_EXECUTESYSTEMMEMORY = 0x00000010;
inline constexpr DWORD D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
inline constexpr DWORD D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x00000100;
inline constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
inline constexpr DWORD D3DDEVCAPS_CANRENDERAFTERFLIP = 0x00000800;
inline constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2 = 0x00002000;
inline constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2EX = 0x00008000;
inline constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;
inline constexpr DWORD D3DDEVCAPS_PUREDEVICE = 0x00100000;

// PrimitiveMiscCaps.
inline constexpr DWORD D3DPMISCCAPS_MASKZ = 0x00000002;
inline constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x00000010;
inline constexpr DWORD D3DPMISCCAPS_CULLCW = 0x00000020;
inline constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x00000040;
inline constexpr DWORD D3DPMISCCAPS_COLORWRITEENABLE = 0x00000080;
inline constexpr DWORD D3DPMISCCAPS_SEPARATEALPHABLEND = 0x00020000;

// RasterCaps.
inline constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x00000010;

// ZCmpCaps and AlphaCmpCaps.
inline constexpr DWORD D3DPCMPCAPS_NEVER = 0x00000001;
inline constexpr DWORD D3DPCMPCAPS_LESS = 0x00000002;
inline constexpr DWORD D3DPCMPCAPS_EQUAL = 0x00000004;
inline constexpr DWORD D3DPCMPCAPS_LESSEQUAL = 0x00000008;
inline constexpr DWORD D3DPCMPCAPS_GREATER = 0x00000010;
inline constexpr DWORD D3DPCMPCAPS_NOTEQUAL = 0x00000020;
inline constexpr DWORD D3DPCMPCAPS_GREATEREQUAL = 0x00000040;
inline constexpr DWORD D3DPCMPCAPS_ALWAYS = 0x00000080;

// SrcBlendCaps and DestBlendCaps.
inline constexpr DWORD D3DPBLENDCAPS_ZERO = 0x00000001;
inline constexpr DWORD D3DPBLENDCAPS_ONE = 0x00000002;
inline constexpr DWORD D3DPBLENDCAPS_SRCCOLOR = 0x00000004;
inline constexpr DWORD D3DPBLENDCAPS_INVSRCCOLOR = 0x00000008;
inline constexpr DWORD D3DPBLENDCAPS_SRCALPHA = 0x00000010;
inline constexpr DWORD D3DPBLENDCAPS_INVSRCALPHA = 0x00000020;
inline constexpr DWORD D3DPBLENDCAPS_DESTALPHA = 0x00000040;
inline constexpr DWORD D3DPBLENDCAPS_INVDESTALPHA = 0x00000080;
inline constexpr DWORD D3DPBLENDCAPS_DESTCOLOR = 0x00000100;
inline constexpr DWORD D3DPBLENDCAPS_INVDESTCOLOR = 0x00000200;
inline constexpr DWORD D3DPBLENDCAPS_SRCALPHASAT = 0x00000400;

// ShadeCaps.
inline constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x00000008;
inline constexpr DWORD D3DPSHADECAPS_SPECULARGOURAUDRGB = 0x00000200;
inline constexpr DWORD D3DPSHADECAPS_ALPHAGOURAUDBLEND = 0x00004000;

// TextureCaps.
inline constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
inline constexpr DWORD D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE = 0x00000040;
inline constexpr DWORD D3DPTEXTURECAPS_NONPOW2CONDITIONAL = 0x00000100;
inline constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;

// TextureFilterCaps.
inline constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x00000100;
inline constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x00000200;
inline constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x00010000;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x01000000;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x02000000;

// TextureAddressCaps.
inline constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
inline constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x00000002;
inline constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;
inline constexpr DWORD D3DPTADDRESSCAPS_BORDER = 0x00000008;
inline constexpr DWORD D3DPTADDRESSCAPS_INDEPENDENTUV = 0x00000010;
inline constexpr DWORD D3DPTADDRESSCAPS_MIRRORONCE = 0x00000020;

// TextureOpCaps.
inline constexpr DWORD D3DTEXOPCAPS_DISABLE = 0x00000001;
inline constexpr DWORD D3DTEXOPCAPS_SELECTARG1 = 0x00000002;
inline constexpr DWORD D3DTEXOPCAPS_SELECTARG2 = 0x00000004;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE = 0x00000008;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE2X = 0x00000010;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE4X = 0x00000020;
inline constexpr DWORD D3DTEXOPCAPS_ADD = 0x00000040;
inline constexpr DWORD D3DTEXOPCAPS_SUBTRACT = 0x00000200;

// FVFCaps.
inline constexpr DWORD D3DFVFCAPS_TEXCOORDCOUNTMASK = 0x0000FFFF;
