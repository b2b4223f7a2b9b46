#include "pictures/shapes.h"

bool InsideEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle) {
  float dx = x - cx;
  float dy = y - cy;
  if (angle != 0.0f) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float rotatedX = dx * c + dy * s;
    const float rotatedY = -dx * s + dy * c;
    dx = rotatedX;
    dy = rotatedY;
  }
  return (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) <= 1.0f;
}

bool InsidePolygon(float x, float y, const std::vector<Point>& polygon) {
  // Even-odd rule by ray crossing.
  bool inside = false;
  const size_t count = polygon.size();
  for (size_t i = 0, j = count - 1; i < count; j = i++) {
    const Point& a = polygon[i];
    const Point& b = polygon[j];
    if ((a.y > y) != (b.y > y)) {
      const float crossX = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x < crossX) inside = !inside;
    }
  }
  return inside;
}

float DistanceToSegment(float x, float y, Point a, Point b) {
  const float vx = b.x - a.x;
  const float vy = b.y - a.y;
  const float lengthSquared = vx * vx + vy * vy;
  float t = 0.0f;
  if (lengthSquared > 0.0f)
    t = std::clamp(((x - a.x) * vx + (y - a.y) * vy) / lengthSquared, 0.0f, 1.0f);
  const float dx = x - (a.x + t * vx);
  const float dy = y - (a.y + t * vy);
  return std::sqrt(dx * dx + dy * dy);
}

void FillDisc(Canvas& canvas, float cx, float cy, float radius, const Colour& colour) {
  FillEllipse(canvas, cx, cy, radius, radius, 0.0f, colour);
}

void FillEllipse(Canvas& canvas, float cx, float cy, float rx, float ry, float angle,
                 const Colour& colour) {
  const float reach = std::max(rx, ry);
  FillShape(
      canvas, cx - reach, cy - reach, cx + reach, cy + reach,
      [&](float x, float y) { return InsideEllipse(x, y, cx, cy, rx, ry, angle); }, colour);
}

void FillPolygon(Canvas& canvas, const std::vector<Point>& polygon, const Colour& colour) {
  if (polygon.size() < 3) return;
  float left = polygon[0].x, right = polygon[0].x, top = polygon[0].y, bottom = polygon[0].y;
  for (const Point& p : polygon) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  FillShape(
      canvas, left, top, right, bottom,
      [&](float x, float y) { return InsidePolygon(x, y, polygon); }, colour);
}

void StrokePolyline(Canvas& canvas, const std::vector<Point>& line, float width,
                    const Colour& colour) {
  StrokeTapered(canvas, line, width, width, colour);
}

void StrokeTapered(Canvas& canvas, const std::vector<Point>& line, float startWidth, float endWidth,
                   const Colour& colour) {
  if (line.empty()) return;
  // Each segment is covered on its own; the union is taken per pixel by testing all of them.
  float left = line[0].x, right = line[0].x, top = line[0].y, bottom = line[0].y;
  for (const Point& p : line) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const float reach = std::max(startWidth, endWidth) * 0.5f + 1.0f;
  const size_t segments = line.size() > 1 ? line.size() - 1 : 1;
  FillShape(
      canvas, left - reach, top - reach, right + reach, bottom + reach,
      [&](float x, float y) {
        if (line.size() == 1) {
          return DistanceToSegment(x, y, line[0], line[0]) <= startWidth * 0.5f;
        }
        for (size_t i = 0; i + 1 < line.size(); ++i) {
          const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(segments);
          const float halfWidth = 0.5f * (startWidth + (endWidth - startWidth) * t);
          // Cheap rejection before the distance: most segments are far from most samples.
          const Point& a = line[i];
          const Point& b = line[i + 1];
          if (x < std::min(a.x, b.x) - halfWidth || x > std::max(a.x, b.x) + halfWidth ||
              y < std::min(a.y, b.y) - halfWidth || y > std::max(a.y, b.y) + halfWidth) {
            continue;
          }
          if (DistanceToSegment(x, y, line[i], line[i + 1]) <= halfWidth) return true;
        }
        return false;
      },
      colour);
}

namespace {

template <class ApplyFn>
void GaussianSpot(float cx, float cy, float radius, float intensity, ApplyFn apply) {
  const float reach = radius * 3.0f;
  const int x0 = static_cast<int>(std::floor(cx - reach));
  const int x1 = static_cast<int>(std::ceil(cx + reach));
  const int y0 = static_cast<int>(std::floor(cy - reach));
  const int y1 = static_cast<int>(std::ceil(cy + reach));
  const float inverse = 1.0f / (radius * radius);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float dx = x + 0.5f - cx;
      const float dy = y + 0.5f - cy;
      const float amount = intensity * std::exp(-(dx * dx + dy * dy) * inverse);
      if (amount > 1e-4f) apply(x, y, amount);
    }
  }
}

}  // namespace

void BlendGlow(Canvas& canvas, float cx, float cy, float radius, const Colour& colour,
               float intensity) {
  GaussianSpot(cx, cy, radius, intensity, [&](int x, int y, float amount) {
    canvas.Blend(x, y, colour, std::min(1.0f, amount));
  });
}

void AddGlow(Canvas& canvas, float cx, float cy, float radius, const Colour& colour,
             float intensity) {
  GaussianSpot(cx, cy, radius, intensity,
               [&](int x, int y, float amount) { canvas.Add(x, y, colour, amount); });
}

std::vector<Point> QuadraticCurve(Point from, Point control, Point to, int segments) {
  std::vector<Point> points;
  points.reserve(static_cast<size_t>(segments) + 1);
  for (int i = 0; i <= segments; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(segments);
    const float u = 1.0f - t;
    points.push_back({u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                      u * u * from.y + 2 * u * t * control.y + t * t * to.y});
  }
  return points;
}
