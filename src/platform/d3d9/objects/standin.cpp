#include "platform/d3d9/standin.h"

#include <algorithm>

#include "platform/d3d9/objects/soft_device.h"
#include "platform/d3d9/raster/formats.h"

namespace d3d9standin {

bool Config::OffersTexture(D3DFORMAT format) const {
  return d3d9soft::IsSampleableFormat(format) &&
         std::find(TextureFormats.begin(), TextureFormats.end(), format) != TextureFormats.end();
}

bool Config::OffersDepth(D3DFORMAT format) const {
  return std::find(DepthFormats.begin(), DepthFormats.end(), format) != DepthFormats.end();
}

Config& GetConfig() {
  static Config config;
  return config;
}

void ResetConfig() { GetConfig() = Config{}; }

void LoseDevice(IDirect3DDevice9* device, int lostChecks) {
  if (auto* soft = dynamic_cast<d3d9soft::TSoftDevice*>(device)) soft->Lose(lostChecks);
}

bool IsDeviceLost(IDirect3DDevice9* device) {
  auto* soft = dynamic_cast<d3d9soft::TSoftDevice*>(device);
  return soft != nullptr && soft->IsLost();
}

}  // namespace d3d9standin
