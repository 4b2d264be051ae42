// Geometry: sizes and rectangles in points.
#pragma once

namespace velto::toolkit {

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

/// A rectangle in points; x grows to the trailing edge, y downwards.
struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace velto::toolkit
