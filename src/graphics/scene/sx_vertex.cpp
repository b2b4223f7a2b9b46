#include "graphics/scene/sx_vertex.h"

TSXVertex MakeVertex(uint32_t diffuse, uint32_t specular, float x, float y, float u, float v) {
  return TSXVertex{x, y, diffuse, specular, u, v};
}

TSXDeviceVertex MakeDeviceVertex(const TSXVertex& vertex, float posX, float posY, float z) {
  return TSXDeviceVertex{posX + vertex.X, posY + vertex.Y, z,        kSXDeviceVertexRHW,
                         vertex.Diffuse,  vertex.Specular, vertex.U, vertex.V};
}
