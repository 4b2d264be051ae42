// TerminalPicture: the initial from the file name, the main colour from the pixels (read with Cairo).
#include "TerminalPicture.h"

#include <cairo.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>

#include "CairoStreams.h"
#include "TerminalText.h"

namespace velto::render {
namespace {

struct Bucket {
  long count = 0;
  std::array<long, 3> sums{};
};

}  // namespace

std::string pictureInitial(const std::filesystem::path& file) {
  std::string stem = file.stem().string();
  if (const auto scale = stem.rfind('@'); scale != std::string::npos) stem.erase(scale);
  if (const auto dash = stem.rfind('-'); dash != std::string::npos) stem.erase(0, dash + 1);
  const auto clusters = cellClusters(stem);
  if (clusters.empty()) return "▪";
  std::string initial = clusters.front().text;
  if (initial.size() == 1) initial[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(initial[0])));
  return initial;
}

std::optional<Rgb8> pictureColor(const std::filesystem::path& file) {
  const CairoSurface surface = loadPng(file);
  if (!surface) return std::nullopt;
  cairo_surface_flush(surface.get());
  const cairo_format_t format = cairo_image_surface_get_format(surface.get());
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return std::nullopt;
  const int width = cairo_image_surface_get_width(surface.get());
  const int height = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  if (!data) return std::nullopt;

  std::map<int, Bucket> buckets;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Native-endian 32-bit pixels, alpha in the top byte, colours premultiplied.
      std::uint32_t pixel = 0;
      std::memcpy(&pixel, data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x) * 4, 4);
      const auto alpha = format == CAIRO_FORMAT_RGB24 ? 255u : pixel >> 24;
      if (alpha < 192) continue;
      const std::array<long, 3> rgb{static_cast<long>(((pixel >> 16) & 0xFF) * 255 / alpha),
                                    static_cast<long>(((pixel >> 8) & 0xFF) * 255 / alpha),
                                    static_cast<long>((pixel & 0xFF) * 255 / alpha)};
      const int key = static_cast<int>((rgb[0] / 16) * 256 + (rgb[1] / 16) * 16 + rgb[2] / 16);
      Bucket& bucket = buckets[key];
      ++bucket.count;
      for (std::size_t i = 0; i < 3; ++i) bucket.sums[i] += rgb[i];
    }
  }
  const Bucket* best = nullptr;
  for (const auto& [key, bucket] : buckets) {
    if (!best || bucket.count > best->count) best = &bucket;
  }
  if (!best) return std::nullopt;
  return Rgb8{static_cast<int>(best->sums[0] / best->count), static_cast<int>(best->sums[1] / best->count),
              static_cast<int>(best->sums[2] / best->count)};
}

}  // namespace velto::render
