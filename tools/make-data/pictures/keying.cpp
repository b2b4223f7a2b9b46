#include "pictures/keying.h"

#include <algorithm>

bool MatchesKey(const Colour& pixel, const Colour& key) {
  return ToByte(pixel.r) == ToByte(key.r) && ToByte(pixel.g) == ToByte(key.g) &&
         ToByte(pixel.b) == ToByte(key.b);
}

Canvas FlattenForColourKey(const Canvas& layer, const Colour& key, const Colour& backdrop,
                           float threshold) {
  Canvas out(layer.Width(), layer.Height(), Colour{key.r, key.g, key.b, 1.0f});
  for (int y = 0; y < layer.Height(); ++y) {
    for (int x = 0; x < layer.Width(); ++x) {
      const Colour& c = layer.At(x, y);
      if (c.a < threshold) continue;
      const float weight = threshold < 1.0f ? (c.a - threshold) / (1.0f - threshold) : 1.0f;
      Colour flat = Mix(backdrop, c, std::clamp(weight, 0.0f, 1.0f));
      flat.a = 1.0f;
      if (MatchesKey(flat, key)) {
        // Step one 8-bit level away from the key, towards the middle grey.
        const float step = 1.0f / 255.0f;
        flat.r += ToByte(key.r) > 127 ? -step : step;
      }
      out.At(x, y) = flat;
    }
  }
  return out;
}
