#include "graphics/scene/sx_blend.h"

#include "platform/d3d9/d3d9.h"

TSXBlendMode MakeBlendMode(bool translucent, bool alphaTest, int32_t alphaFunc, bool alphaBlend,
                           int32_t srcBlend, int32_t destBlend, int32_t blendOp) {
  return TSXBlendMode{translucent, alphaTest, alphaFunc, alphaBlend, srcBlend, destBlend, blendOp};
}

std::vector<TSXBlendMode> BuiltInBlendModes() {
  return {
      MakeBlendMode(false, false, D3DCMP_ALWAYS, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
                    D3DBLENDOP_ADD),
      MakeBlendMode(true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_ONE,
                    D3DBLENDOP_ADD),
      MakeBlendMode(true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
                    D3DBLENDOP_ADD),
      MakeBlendMode(true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR,
                    D3DBLENDOP_ADD),
      MakeBlendMode(true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR,
                    D3DBLENDOP_ADD),
      MakeBlendMode(false, true, D3DCMP_GREATER, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA,
                    D3DBLENDOP_ADD),
  };
}
