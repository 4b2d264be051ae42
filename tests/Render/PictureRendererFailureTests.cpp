// Tests of pictures that cannot be finished: an output that cannot grow.
#include "PictureRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocations through operator new larger than this fail, on the thread that set it: a seam that makes
// "memory ran out while the output grew" happen at a chosen size. Cairo, Pango and ICU allocate with malloc,
// so only our own containers meet it.
thread_local std::size_t largestAllocation = std::numeric_limits<std::size_t>::max();

}  // namespace

// Every unaligned form is replaced, so that none pairs with the runtime's own (the sanitizers keep theirs).
void* operator new(std::size_t size) {
  if (size > largestAllocation) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return size > largestAllocation ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace velto::render {
namespace {

using namespace toolkit;

/// Many lines of text: an SVG document of them holds far more than 64 KiB of glyph outlines.
Element manyTexts() {
  std::vector<Element> lines;
  for (int i = 0; i < 60; ++i) lines.push_back(Text("Weekly quota " + std::to_string(i) + ": 42% used, resets Monday"));
  return VStack(HorizontalAlignment::leading, 2, std::move(lines));
}

// Cairo calls the writer from C; an exception must not cross its frames. The one thrown while appending
// comes out of renderSvg itself, after Cairo has returned.
TEST(PictureRendererFailure, AnOutputThatCannotGrowThrowsBadAllocFromTheRendererNotFromInsideCairo) {
  const PictureOptions options{.canvas = {.size = {600, 1200}, .cornerRadius = 0}};
  ASSERT_GT(renderSvg(manyTexts(), options).size(), 64u * 1024);
  largestAllocation = 64 * 1024;
  EXPECT_THROW(renderSvg(manyTexts(), options), std::bad_alloc);
  largestAllocation = std::numeric_limits<std::size_t>::max();
  EXPECT_GT(renderSvg(manyTexts(), options).size(), 64u * 1024);  // and Cairo is fine afterwards
}

}  // namespace
}  // namespace velto::render
