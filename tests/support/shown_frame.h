// What the window shows against what the device presented: every presented frame kept whole on
// its way to the window, and the pixels where a grab of the window differs from it.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstring>
#include <utility>

#include "platform/base/owner_window.h"

namespace e2e {

// A presenter that copies each frame into presented (its size) and hands it on to show.
inline TPresenter KeepingPresented(QImage& presented, TPresenter show) {
  return [&presented, show = std::move(show)](
             UINT w, UINT h, INT pitch, const std::uint32_t* pixels, const TFrameChange& change) {
    ASSERT_EQ(QSize(static_cast<int>(w), static_cast<int>(h)), presented.size());
    for (UINT y = 0; y < h; ++y) {
      std::memcpy(presented.scanLine(static_cast<int>(y)),
                  reinterpret_cast<const std::uint8_t*>(pixels) + y * pitch, w * 4);
    }
    show(w, h, pitch, pixels, change);
  };
}

// Pixels of presented, outside skip, whose colour differs in shown (the frame's origin at origin);
// at a scale k, whose k × k block in shown is not all of its colour.
inline int DifferingPixels(const QImage& shown, QPoint origin, const QImage& presented,
                           const QRect& skip, int scale = 1) {
  int differing = 0;
  for (int y = 0; y < presented.height(); ++y) {
    for (int x = 0; x < presented.width(); ++x) {
      if (skip.contains(x, y)) continue;
      const QRgb colour = presented.pixel(x, y) & 0xFFFFFF;
      bool same = true;
      for (int dy = 0; dy < scale && same; ++dy) {
        const QPoint block = origin + QPoint(x * scale, y * scale + dy);
        if (!shown.rect().contains(block) || !shown.rect().contains(block + QPoint(scale - 1, 0))) {
          same = false;
          break;
        }
        const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(block.y()));
        for (int dx = 0; dx < scale && same; ++dx)
          same = (row[block.x() + dx] & 0xFFFFFF) == colour;
      }
      if (!same) ++differing;
    }
  }
  return differing;
}

}  // namespace e2e
