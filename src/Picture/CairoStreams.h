// CairoStreams: PNG pictures read from files and documents written to memory through Cairo's stream callbacks,
// which never let a C++ exception cross Cairo's C frames.
#pragma once

#include <cairo.h>

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "CairoOwners.h"

namespace velto::render {

/// The bytes Cairo writes, collected in memory. Pass `write` and the sink to a *_for_stream or
/// *_to_png_stream function; a failure to append (std::bad_alloc) becomes CAIRO_STATUS_WRITE_ERROR inside
/// Cairo and is thrown again by `take`.
class StreamSink {
 public:
  static cairo_status_t write(void* sink, const unsigned char* data, unsigned int length) noexcept;

  /// The bytes written so far; rethrows what appending threw, if it did.
  std::string take();

 private:
  std::string bytes_;
  std::exception_ptr failure_;
};

/// `surface` as PNG bytes. Throws std::runtime_error when Cairo fails, std::bad_alloc when memory does.
std::string encodePng(cairo_surface_t* surface);

/// A PNG image decoded by Cairo; an empty owner when it does not decode. Throws std::bad_alloc when Cairo runs
/// out of memory.
CairoSurface decodePng(std::string_view bytes);

/// The picture of a PNG file, read through toolkit::readImage (one descriptor, opened without blocking, of a
/// regular file whose header passes) and decoded; an empty owner when it fails either step.
CairoSurface loadPng(const std::filesystem::path& file);

}  // namespace velto::render
