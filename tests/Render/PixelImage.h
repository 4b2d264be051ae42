// PixelImage: a PNG decoded for pixel checks, with colours compared within a tolerance.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "CairoStreams.h"
#include "Geometry.h"
#include "Palette.h"

namespace velto::render::testing {

/// One pixel, straight (not premultiplied) 8-bit components.
struct Pixel {
  int red = 0;
  int green = 0;
  int blue = 0;
  int alpha = 0;
  friend bool operator==(const Pixel&, const Pixel&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& pixel) {
  return out << "rgba(" << pixel.red << ", " << pixel.green << ", " << pixel.blue << ", " << pixel.alpha << ")";
}

/// The opaque pixel of `color` laid over the opaque `under`.
inline Pixel over(const Rgba& color, const Rgba& under) {
  auto mix = [&](double top, double bottom) {
    return static_cast<int>(std::lround(255 * (top * color.alpha + bottom * (1 - color.alpha))));
  };
  return {mix(color.red, under.red), mix(color.green, under.green), mix(color.blue, under.blue), 255};
}

/// True when every component of `a` lies within `tolerance` of `b`'s.
inline bool near(const Pixel& a, const Pixel& b, int tolerance = 3) {
  return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
         std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

class PixelImage {
 public:
  /// Decodes PNG bytes; a failure leaves an image of no size.
  explicit PixelImage(std::string_view png) {
    const CairoSurface surface = decodePng(png);
    if (!surface) return;
    cairo_surface_flush(surface.get());
    width_ = cairo_image_surface_get_width(surface.get());
    height_ = cairo_image_surface_get_height(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get()) / 4;
    const auto* data = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface.get()));
    pixels_.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) pixels_.push_back(data[y * stride + x]);
    }
  }

  int width() const { return width_; }
  int height() const { return height_; }

  /// The pixel at (x, y); transparent outside the image.
  Pixel at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const std::uint32_t value = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                        static_cast<std::size_t>(x)];
    const int alpha = static_cast<int>(value >> 24);
    auto straight = [alpha](std::uint32_t premultiplied) {
      return alpha == 0 ? 0 : static_cast<int>(std::lround(premultiplied * 255.0 / alpha));
    };
    return {straight((value >> 16) & 0xff), straight((value >> 8) & 0xff), straight(value & 0xff), alpha};
  }

  /// The pixel under the point (x, y) of a picture drawn `scale` pixels to the point.
  Pixel atPoint(double x, double y, int scale) const {
    return at(static_cast<int>(std::floor(x * scale)), static_cast<int>(std::floor(y * scale)));
  }

  /// How many pixels within `rect` (in points at `scale`, or everywhere else when `inside` is false) match
  /// `test`.
  template <typename Test>
  int count(const toolkit::Rect& rect, int scale, bool inside, Test test) const {
    int found = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const double px = (x + 0.5) / scale;
        const double py = (y + 0.5) / scale;
        const bool within = px >= rect.x && px < rect.x + rect.width && py >= rect.y && py < rect.y + rect.height;
        if (within == inside && test(at(x, y))) ++found;
      }
    }
    return found;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

/// `rect` grown by `by` points on every side.
inline toolkit::Rect grown(const toolkit::Rect& rect, double by) {
  return {rect.x - by, rect.y - by, rect.width + 2 * by, rect.height + 2 * by};
}

}  // namespace velto::render::testing
