#include "graphics/scene/sx_vertex.h"

TSXVertex MakeVertex(uint32_t diffuse, uint32_t specular, float x, float y, float u, float v) {
  TSXVertex vertex;
  vertex.X = x;
  vertex.Y = y;
  vertex.Diffuse = diffuse;
  vertex.Specular = specular;
  vertex.U = u;
  vertex.V = v;
  return vertex;
}

TSXDeviceVertex MakeDeviceVertex(const TSXVertex& vertex, float posX, float posY, float z) {
  TSXDeviceVertex out;
  out.X = posX + vertex.X;
  out.Y = posY + vertex.Y;
  out.Z = z;
  out.RHW = kSXDeviceVertexRHW;
  out.Diffuse = vertex.Diffuse;
  out.Specular = vertex.Specular;
  out.U = vertex.U;
  out.V = vertex.V;
  return out;
}
