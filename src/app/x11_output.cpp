#include "app/x11_output.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace app {

namespace {

// The visual's pixels are the frame's: 0x00RRGGBB in 32-bit little-endian words, 24 bits deep.
bool TakesFramePixels(xcb_connection_t* connection, xcb_window_t window) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
  bool formatFits = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f)) {
    if (f.data->depth == 24) {
      formatFits = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    }
  }
  if (!formatFits) return false;

  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
  xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), nullptr);
  bool fits = geometry != nullptr && attributes != nullptr && geometry->depth == 24;
  if (fits) {
    fits = false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem > 0; xcb_screen_next(&s)) {
      for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem > 0; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
          if (v.data->visual_id == attributes->visual) {
            fits = d.data->depth == 24 && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                   v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 &&
                   v.data->blue_mask == 0xFF;
          }
        }
      }
    }
  }
  std::free(geometry);
  std::free(attributes);
  return fits;
}

}  // namespace

namespace {

// Copies frame row y's pixels [left, left + count) into image, each a k × k block at k times its
// place; bits and bytesPerLine are image's.
void CopyFrameRow(const unsigned char* pixels, int pitch, int y, int left, int count,
                  unsigned char* bits, std::size_t bytesPerLine, int scale) {
  const auto* from =
      reinterpret_cast<const std::uint32_t*>(pixels + static_cast<std::size_t>(y) * pitch) + left;
  auto line = [&](int row) {
    return reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(row) * bytesPerLine) +
           static_cast<std::size_t>(left) * scale;
  };
  if (scale == 1) {
    std::memcpy(line(y), from, static_cast<std::size_t>(count) * 4);
    return;
  }
  // The row widened once, then copied down into the block's other rows.
  std::uint32_t* const first = line(y * scale);
  std::uint32_t* out = first;
  for (int x = 0; x < count; ++x) out = std::fill_n(out, scale, from[x]);
  for (int dy = 1; dy < scale; ++dy) {
    std::memcpy(line(y * scale + dy), first, static_cast<std::size_t>(count) * scale * 4);
  }
}

}  // namespace

void CopyFrameRegion(const QRegion& region, const unsigned char* pixels, int pitch, QImage& image,
                     int scale) {
  if (region.isEmpty()) return;
  // The image's rows found once: scanLine() checks for sharing on every call.
  unsigned char* const bits = image.bits();
  const std::size_t bytesPerLine = static_cast<std::size_t>(image.bytesPerLine());
  for (const QRect& part : region) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      CopyFrameRow(pixels, pitch, y, part.left(), part.width(), bits, bytesPerLine, scale);
    }
  }
}

QRect CopyChangedFrameRect(const QRect& part, const unsigned char* pixels, int pitch, QImage& image,
                           int scale) {
  unsigned char* const bits = image.bits();
  const std::size_t bytesPerLine = static_cast<std::size_t>(image.bytesPerLine());
  // The top byte of an X8R8G8B8 pixel means nothing.
  auto same = [](std::uint32_t a, std::uint32_t b) { return ((a ^ b) & 0xFFFFFF) == 0; };
  const int k = std::max(scale, 1);
  int left = part.right() + 1, right = part.left() - 1, top = -1, bottom = -1;
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const auto* from =
        reinterpret_cast<const std::uint32_t*>(pixels + static_cast<std::size_t>(y) * pitch);
    // The kept row's first line: frame pixel x at k × x.
    auto* kept =
        reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * k * bytesPerLine);
    int first = part.left();
    while (first <= part.right() && same(from[first], kept[static_cast<std::size_t>(first) * k])) {
      ++first;
    }
    if (first > part.right()) continue;
    int last = part.right();
    while (last > first && same(from[last], kept[static_cast<std::size_t>(last) * k])) --last;
    CopyFrameRow(pixels, pitch, y, first, last - first + 1, bits, bytesPerLine, k);
    left = std::min(left, first);
    right = std::max(right, last);
    if (top < 0) top = y;
    bottom = y;
  }
  if (top < 0) return {};
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

std::unique_ptr<TX11Output> TX11Output::For(QWidget* widget) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || xcb_connection_has_error(connection)) return nullptr;
  const auto window = static_cast<xcb_window_t>(widget->window()->winId());
  if (window == 0 || !TakesFramePixels(connection, window)) return nullptr;

  const xcb_gcontext_t gc = xcb_generate_id(connection);
  // Black for what lies around the frame; no exposure events from puts.
  const std::uint32_t values[] = {0, 0};
  xcb_create_gc(connection, gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
  // In 4-byte units (BIG-REQUESTS raises it where the server has it).
  const std::size_t maxRequestBytes = std::size_t{xcb_get_maximum_request_length(connection)} * 4;
  return std::unique_ptr<TX11Output>(new TX11Output(connection, window, gc, maxRequestBytes));
}

TX11Output::~TX11Output() {
  Release();
  xcb_free_gc(connection_, gc_);
  xcb_flush(connection_);
}

void TX11Output::Allocate(int width, int height) {
  Release();
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
  if (!sharedRefused_ && shm != nullptr && shm->present) {
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* memory = id != -1 ? shmat(id, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (memory != reinterpret_cast<void*>(-1)) {
      const std::uint32_t segment = xcb_generate_id(connection_);
      xcb_generic_error_t* error = xcb_request_check(
          connection_, xcb_shm_attach_checked(connection_, segment, id, /*read_only=*/1));
      if (error == nullptr) {
        shared_ = memory;
        segment_ = segment;
      } else {
        // A server on another machine cannot see our memory.
        std::free(error);
        shmdt(memory);
        sharedRefused_ = true;
      }
    }
    // Gone as soon as both sides have let go of it, however the game ends.
    if (id != -1) shmctl(id, IPC_RMID, nullptr);
  }
  unsigned char* pixels = static_cast<unsigned char*>(shared_);
  if (pixels == nullptr) {
    memory_.assign(bytes, 0);
    pixels = memory_.data();
  }
  frame_ = QImage(pixels, width, height, width * 4, QImage::Format_RGB32);
}

void TX11Output::Release() {
  WaitForServer();
  frame_ = QImage();
  if (segment_ != 0) {
    xcb_shm_detach(connection_, segment_);
    shmdt(shared_);
    segment_ = 0;
    shared_ = nullptr;
  }
  memory_.clear();
}

void TX11Output::WaitForServer() {
  if (!fencePending_) return;
  fencePending_ = false;
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus_cookie_t{fence_}, nullptr));
}

QRegion TX11Output::Keep(int width, int height, int pitch, const unsigned char* pixels,
                         const QRegion& region, int scale, const QRegion& shownAsKept) {
  const QRect whole(0, 0, width, height);
  QRegion kept = region;
  QRegion compared = shownAsKept;
  if (frame_.width() != width * scale || frame_.height() != height * scale) {
    Allocate(width * scale, height * scale);
    kept = whole;
    compared = QRegion();
  }
  scale_ = scale;
  kept &= whole;
  // At 1× comparing costs more than the copy it saves (a changed row is copied from its first
  // to its last changed pixel anyway); from 2× on each pixel saved is k × k copied and put.
  if (scale < 2) compared = QRegion();
  compared &= kept;
  // The server may still be reading the parts the last frame put.
  WaitForServer();
  kept -= compared;
  CopyFrameRegion(kept, pixels, pitch, frame_, scale);
  // Where the window shows the kept frame, only what differs from it needs putting: a firefly's
  // glow reaches well beyond the pixels its step changes.
  for (const QRect& part : compared)
    kept += CopyChangedFrameRect(part, pixels, pitch, frame_, scale);
  return kept;
}

void TX11Output::FillBlack(const QRegion& region) {
  std::vector<xcb_rectangle_t> rectangles;
  for (const QRect& part : region) {
    rectangles.push_back(
        {static_cast<std::int16_t>(part.left()), static_cast<std::int16_t>(part.top()),
         static_cast<std::uint16_t>(part.width()), static_cast<std::uint16_t>(part.height())});
  }
  if (rectangles.empty()) return;
  blackPending_ = true;
  xcb_poly_fill_rectangle(connection_, window_, gc_, static_cast<std::uint32_t>(rectangles.size()),
                          rectangles.data());
}

void TX11Output::Put(const QRegion& region, QPoint at) {
  if (frame_.isNull()) return;
  const QRect whole(0, 0, frame_.width() / scale_, frame_.height() / scale_);
  const QRegion parts = region & whole;
  // A frame like the last one: no request, no reply to wake for.
  if (parts.isEmpty() && !blackPending_) return;
  blackPending_ = false;
  for (const QRect& framePart : parts) {
    const QRect part(framePart.topLeft() * scale_, framePart.size() * scale_);
    if (segment_ != 0) {
      xcb_shm_put_image(
          connection_, window_, gc_, static_cast<std::uint16_t>(frame_.width()),
          static_cast<std::uint16_t>(frame_.height()), static_cast<std::uint16_t>(part.left()),
          static_cast<std::uint16_t>(part.top()), static_cast<std::uint16_t>(part.width()),
          static_cast<std::uint16_t>(part.height()),
          static_cast<std::int16_t>(at.x() + part.left()),
          static_cast<std::int16_t>(at.y() + part.top()), 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
          segment_, 0);
      continue;
    }
    // Through the connection: the part's rows side by side, in requests the server takes.
    const std::size_t rowBytes = static_cast<std::size_t>(part.width()) * 4;
    const int rowsPerPut = std::max<int>(
        1, static_cast<int>((maxRequestBytes_ - sizeof(xcb_put_image_request_t)) / rowBytes));
    for (int top = part.top(); top <= part.bottom(); top += rowsPerPut) {
      const int rows = std::min(rowsPerPut, part.bottom() + 1 - top);
      packed_.resize(rowBytes * rows);
      for (int y = 0; y < rows; ++y) {
        std::memcpy(packed_.data() + rowBytes * y,
                    frame_.constScanLine(top + y) + static_cast<std::size_t>(part.left()) * 4,
                    rowBytes);
      }
      xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                    static_cast<std::uint16_t>(part.width()), static_cast<std::uint16_t>(rows),
                    static_cast<std::int16_t>(at.x() + part.left()),
                    static_cast<std::int16_t>(at.y() + top), 0, 24,
                    static_cast<std::uint32_t>(packed_.size()), packed_.data());
    }
  }
  if (segment_ != 0) {
    // Its reply comes after the server has done the puts above (and so after an earlier one's).
    if (fencePending_) xcb_discard_reply(connection_, fence_);
    fence_ = xcb_get_input_focus(connection_).sequence;
    fencePending_ = true;
  }
  xcb_flush(connection_);
}

}  // namespace app
