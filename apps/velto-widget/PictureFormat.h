// PictureFormat: the picture formats' seam. velto-widget links the stand-in that draws nothing and runs the
// picture program for them; velto-widget-picture, the same commands, links the one that draws with Cairo.
#pragma once

#include <string>

#include "Element.h"
#include "EntryFormat.h"

namespace velto::app {

/// True in the program that draws pictures itself; false in velto-widget, which runs the picture program for
/// every command that would draw one.
bool drawsPictures();

/// `body` as PNG or SVG bytes in `style` (whose format is one of the two). Throws std::logic_error in a
/// program that does not draw pictures.
std::string formatPicture(const toolkit::Element& body, const EntryStyle& style);

}  // namespace velto::app
