// PictureFormatElsewhere: velto-widget draws no picture itself, so that it loads none of the picture stack.
#include "PictureFormat.h"

#include <stdexcept>

namespace velto::app {

bool drawsPictures() { return false; }

std::string formatPicture(const toolkit::Element&, const EntryStyle&) {
  // main runs the picture program before any command could get here.
  throw std::logic_error("pictures are drawn by velto-widget-picture");
}

}  // namespace velto::app
