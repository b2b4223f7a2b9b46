// Anti-aliased shapes for the canvas. Every shape is an inside test evaluated at
// samples × samples points per pixel; the hit fraction is the pixel's coverage.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures/canvas.h"

struct Point {
  float x = 0, y = 0;
};

// Calls paint(x, y, coverage) for every pixel of the box [left, right) × [top, bottom)
// that the shape touches, with coverage in (0, 1].
template <class InsideFn, class PaintFn>
void CoverShape(const Canvas& canvas, float left, float top, float right, float bottom,
                InsideFn inside, PaintFn paint, int samples = 4) {
  const int x0 = std::max(0, static_cast<int>(std::floor(left)));
  const int y0 = std::max(0, static_cast<int>(std::floor(top)));
  const int x1 = std::min(canvas.Width(), static_cast<int>(std::ceil(right)) + 1);
  const int y1 = std::min(canvas.Height(), static_cast<int>(std::ceil(bottom)) + 1);
  const float step = 1.0f / static_cast<float>(samples);
  const float total = static_cast<float>(samples * samples);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          if (inside(x + (sx + 0.5f) * step, y + (sy + 0.5f) * step)) ++hits;
        }
      }
      if (hits > 0) paint(x, y, hits / total);
    }
  }
}

// Fills with one colour (blended "over").
template <class InsideFn>
void FillShape(Canvas& canvas, float left, float top, float right, float bottom, InsideFn inside,
               const Colour& colour, int samples = 4) {
  CoverShape(
      canvas, left, top, right, bottom, inside,
      [&](int x, int y, float coverage) { canvas.Blend(x, y, colour, coverage); }, samples);
}

// Fills with a colour that depends on the pixel centre.
template <class InsideFn, class ColourFn>
void ShadeShape(Canvas& canvas, float left, float top, float right, float bottom, InsideFn inside,
                ColourFn colourAt, int samples = 4) {
  CoverShape(
      canvas, left, top, right, bottom, inside,
      [&](int x, int y, float coverage) {
        canvas.Blend(x, y, colourAt(x + 0.5f, y + 0.5f), coverage);
      },
      samples);
}

bool InsideEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle = 0.0f);
bool InsidePolygon(float x, float y, const std::vector<Point>& polygon);
float DistanceToSegment(float x, float y, Point a, Point b);

void FillDisc(Canvas& canvas, float cx, float cy, float radius, const Colour& colour);
void FillEllipse(Canvas& canvas, float cx, float cy, float rx, float ry, float angle,
                 const Colour& colour);
void FillPolygon(Canvas& canvas, const std::vector<Point>& polygon, const Colour& colour);
// A polyline of the given width with round joins and caps.
void StrokePolyline(Canvas& canvas, const std::vector<Point>& line, float width,
                    const Colour& colour);
// A polyline that narrows linearly from startWidth to endWidth (stems, antennae, leaves).
void StrokeTapered(Canvas& canvas, const std::vector<Point>& line, float startWidth, float endWidth,
                   const Colour& colour);

// Additive light with a Gaussian profile: amount = intensity × exp(-(d / radius)^2).
void AddGlow(Canvas& canvas, float cx, float cy, float radius, const Colour& colour,
             float intensity);

// The same profile blended "over" as a translucent colour: glows on layers with alpha.
void BlendGlow(Canvas& canvas, float cx, float cy, float radius, const Colour& colour,
               float intensity);

// Points along a quadratic Bézier curve (for reeds, wings and curved strokes).
std::vector<Point> QuadraticCurve(Point from, Point control, Point to, int segments);
