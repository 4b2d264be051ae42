// LeakCheck: draws a picture, so that the font caches the suppressions cover exist, then leaks a Cairo surface
// and a Pango layout on purpose. Run under LeakSanitizer with the project's suppressions, it must be reported
// for those two and for nothing in the font caches (CheckLeakReport.cmake reads its report).
#include <cairo.h>

#include <string>

#include "PangoTextMeasurer.h"
#include "PictureRenderer.h"

int main() {
  using namespace velto;
  const std::string png = render::renderPng(toolkit::Text("Weekly 42% 用量"), {.chinese = true});
  if (png.empty()) return 2;
  cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);  // never destroyed
  const render::PangoTextMeasurer measurer(false);
  measurer.createLayout("leaked", {.pointSize = 12}).release();  // never unreferenced
  return 0;
}
