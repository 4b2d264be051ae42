// TerminalPicture: the initial from the file name, the main colour from the pixels (read with libpng, so that
// the terminal loads none of the picture stack).
#include "TerminalPicture.h"

#include <png.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <vector>

#include "ImageFile.h"
#include "TerminalText.h"

namespace velto::render {
namespace {

struct Bucket {
  long count = 0;
  std::array<long, 3> sums{};
};

/// A colour channel premultiplied by `alpha` exactly as Cairo stores a decoded PNG, so that the colours taken
/// back from it are the ones the pictures' own decoding gives.
int premultiplied(int alpha, int channel) {
  const int product = alpha * channel + 0x80;
  return (product + (product >> 8)) >> 8;
}

/// The RGBA pixels of a PNG file (8 bits a channel, not premultiplied); nothing when it does not decode.
std::optional<std::vector<std::uint8_t>> decodeRgba(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  // The simplified API reports failures in its return value and never jumps out through our frames.
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return pixels;
}

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
  const auto bytes = toolkit::readImage(file);
  if (!bytes) return std::nullopt;
  const auto pixels = decodeRgba(*bytes);
  if (!pixels) return std::nullopt;

  std::map<int, Bucket> buckets;
  for (std::size_t offset = 0; offset + 4 <= pixels->size(); offset += 4) {
    const int alpha = (*pixels)[offset + 3];
    if (alpha < 192) continue;
    std::array<long, 3> rgb{};
    for (std::size_t i = 0; i < 3; ++i) {
      const int channel = (*pixels)[offset + i];
      rgb[i] = alpha == 255 ? channel : static_cast<long>(premultiplied(alpha, channel)) * 255 / alpha;
    }
    const int key = static_cast<int>((rgb[0] / 16) * 256 + (rgb[1] / 16) * 16 + rgb[2] / 16);
    Bucket& bucket = buckets[key];
    ++bucket.count;
    for (std::size_t i = 0; i < 3; ++i) bucket.sums[i] += rgb[i];
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
