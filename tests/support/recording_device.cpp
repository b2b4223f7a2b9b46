#include "support/recording_device.h"

#include <cstring>

std::vector<TRecordedCall> TRecordingDevice::Of(const std::string& method) const {
  std::vector<TRecordedCall> found;
  for (const TRecordedCall& call : Calls) {
    if (call.Method == method) found.push_back(call);
  }
  return found;
}

std::vector<TRecordedCall> TRecordingDevice::RenderStates(D3DRENDERSTATETYPE state) const {
  std::vector<TRecordedCall> found;
  for (const TRecordedCall& call : Calls) {
    if (call.Method == "SetRenderState" && call.A == state) found.push_back(call);
  }
  return found;
}

HRESULT TRecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                          UINT stride) {
  TRecordedCall& call = Record("DrawPrimitiveUP", type, count, stride);
  // A strip of n triangles has n + 2 vertices; copy them as the scene's vertex layout.
  if (stride == sizeof(TSXDeviceVertex) && type == D3DPT_TRIANGLESTRIP) {
    call.Vertices.resize(count + 2);
    std::memcpy(call.Vertices.data(), data, (count + 2) * sizeof(TSXDeviceVertex));
  }
  return Inner_->DrawPrimitiveUP(type, count, data, stride);
}

TRecordedCall& TRecordingDevice::Record(const char* method, uint32_t a, uint32_t b, uint32_t c) {
  TRecordedCall call;
  call.Method = method;
  call.A = a;
  call.B = b;
  call.C = c;
  Calls.push_back(std::move(call));
  return Calls.back();
}
