// CairoStreams: the write and read callbacks, each catching everything before it returns to Cairo.
#include "CairoStreams.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "ImageFile.h"

namespace velto::render {

cairo_status_t StreamSink::write(void* sink, const unsigned char* data, unsigned int length) noexcept {
  auto* self = static_cast<StreamSink*>(sink);
  try {
    self->bytes_.append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    self->failure_ = std::current_exception();
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

std::string StreamSink::take() {
  if (failure_) std::rethrow_exception(failure_);
  return std::move(bytes_);
}

std::string encodePng(cairo_surface_t* surface) {
  StreamSink sink;
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, StreamSink::write, &sink);
  std::string bytes = sink.take();  // the append's own failure says more than Cairo's write error
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(std::string("cairo: ") + cairo_status_to_string(status));
  return bytes;
}

CairoSurface decodePng(std::string_view bytes) {
  const auto read = [](void* closure, unsigned char* data, unsigned int length) noexcept {
    auto* rest = static_cast<std::string_view*>(closure);
    if (rest->size() < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, rest->data(), length);
    rest->remove_prefix(length);
    return CAIRO_STATUS_SUCCESS;
  };
  CairoSurface surface(cairo_image_surface_create_from_png_stream(read, &bytes));
  const cairo_status_t status = cairo_surface_status(surface.get());
  // A file that does not decode draws nothing; memory that runs out is the caller's failure, not the file's.
  if (status == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
  if (status != CAIRO_STATUS_SUCCESS) return nullptr;
  return surface;
}

CairoSurface loadPng(const std::filesystem::path& file) {
  const auto bytes = toolkit::readImage(file);
  return bytes ? decodePng(*bytes) : nullptr;
}

}  // namespace velto::render
