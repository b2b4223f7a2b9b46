#include "pixman_peer.h"

namespace benchframe {

namespace {

std::uint32_t Premultiply(std::uint32_t argb) {
  const std::uint32_t a = argb >> 24;
  auto channel = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255 << shift; };
  return a << 24 | channel(16) | channel(8) | channel(0);
}

std::uint16_t Wide(std::uint32_t channel) { return static_cast<std::uint16_t>(channel * 0x101); }

// The sprite's colour as a premultiplied solid mask; colour only where it is not white.
pixman_image_t* MaskFor(std::uint32_t colour) {
  if (colour == 0xFFFFFFFFu) return nullptr;
  const std::uint32_t a = colour >> 24;
  auto premultiplied = [&](int shift) {
    return Wide((((colour >> shift) & 0xFF) * a + 127) / 255);
  };
  const pixman_color_t c{premultiplied(16), premultiplied(8), premultiplied(0), Wide(a)};
  pixman_image_t* mask = pixman_image_create_solid_fill(&c);
  if ((colour & 0xFFFFFF) != 0xFFFFFF) pixman_image_set_component_alpha(mask, 1);
  return mask;
}

}  // namespace

TPixmanPeer::TPixmanPeer(const TFrameContent& content)
    : Content_(content), Frame_(static_cast<std::size_t>(kScreenWidth) * kScreenHeight) {
  Target_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, kScreenWidth, kScreenHeight, Frame_.data(),
                                     kScreenWidth * 4);
  for (const TPicture& p : content.Pictures) {
    std::vector<std::uint32_t>& bits = Premultiplied_.emplace_back(p.Pixels);
    for (std::uint32_t& px : bits) px = Premultiply(px);
    pixman_image_t* image =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, p.Width, p.Height, bits.data(), p.Width * 4);
    pixman_image_set_filter(image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(image, PIXMAN_REPEAT_PAD);
    Pictures_.push_back(image);
  }
  for (const TSprite& s : content.Sprites) Masks_.push_back(MaskFor(s.Colour));
}

TPixmanPeer::~TPixmanPeer() {
  for (pixman_image_t* m : Masks_) {
    if (m != nullptr) pixman_image_unref(m);
  }
  for (pixman_image_t* p : Pictures_) pixman_image_unref(p);
  if (Target_ != nullptr) pixman_image_unref(Target_);
}

void TPixmanPeer::DrawFrame() {
  pixman_fill(Frame_.data(), kScreenWidth, 32, 0, 0, kScreenWidth, kScreenHeight, 0xFF000000u);
  for (std::size_t i = 0; i < Content_.Sprites.size(); ++i) {
    const TSprite& s = Content_.Sprites[i];
    if (s.W <= 0 || s.H <= 0) continue;
    pixman_image_t* picture = Pictures_[s.Picture];
    const TPicture& p = Content_.Pictures[s.Picture];
    if (s.W == p.Width && s.H == p.Height) {
      pixman_image_set_transform(picture, nullptr);
    } else {
      pixman_transform_t scale;
      pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(p.Width) / s.W),
                                  pixman_double_to_fixed(double(p.Height) / s.H));
      pixman_image_set_transform(picture, &scale);
    }
    pixman_image_composite32(PIXMAN_OP_OVER, picture, Masks_[i], Target_, 0, 0, 0, 0, s.X, s.Y, s.W,
                             s.H);
  }
}

}  // namespace benchframe
