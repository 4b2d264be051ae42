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

  /// The trailing and the bottom edge.
  double maxX() const { return x + width; }
  double maxY() const { return y + height; }
  /// True when `other` lies wholly inside this rectangle, edges included, give or take `tolerance` points.
  bool contains(const Rect& other, double tolerance = 1e-9) const {
    return other.x >= x - tolerance && other.y >= y - tolerance && other.maxX() <= maxX() + tolerance &&
           other.maxY() <= maxY() + tolerance;
  }

  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace velto::toolkit
