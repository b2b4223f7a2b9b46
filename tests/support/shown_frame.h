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

// Pixels of presented, outside skip, whose colour differs in shown (the frame's origin at origin).
inline int DifferingPixels(const QImage& shown, QPoint origin, const QImage& presented,
                           const QRect& skip) {
  int differing = 0;
  for (int y = 0; y < presented.height(); ++y) {
    for (int x = 0; x < presented.width(); ++x) {
      if (!skip.contains(x, y) &&
          (shown.pixel(origin + QPoint(x, y)) & 0xFFFFFF) != (presented.pixel(x, y) & 0xFFFFFF)) {
        ++differing;
      }
    }
  }
  return differing;
}

}  // namespace e2e
