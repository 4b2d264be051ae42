// PictureFormat: velto-widget-picture's pictures, drawn with Cairo and Pango.
#include "PictureFormat.h"

#include "PictureRenderer.h"

namespace velto::app {

bool drawsPictures() { return true; }

std::string formatPicture(const toolkit::Element& body, const EntryStyle& style) {
  const render::PictureOptions options{.canvas = canvasFor(style.family),
                                       .scheme = style.scheme,
                                       .scale = style.scale,
                                       .redacted = style.redacted,
                                       .textSize = style.textSize,
                                       .chinese = style.chinese};
  return style.format == Format::png ? render::renderPng(body, options) : render::renderSvg(body, options);
}

}  // namespace velto::app
