// Alignment: where stacks and frames place their content.
#pragma once

namespace velto::toolkit {

/// The cross-axis alignment of a vertical stack, and the horizontal part of a frame's alignment.
enum class HorizontalAlignment { leading, center, trailing };

/// The cross-axis alignment of a horizontal stack, and the vertical part of a frame's alignment.
enum class VerticalAlignment { top, center, bottom };

/// A two-dimensional alignment, for frames.
struct Alignment {
  HorizontalAlignment horizontal = HorizontalAlignment::center;
  VerticalAlignment vertical = VerticalAlignment::center;

  static const Alignment center;
  static const Alignment leading;   ///< leading edge, centred vertically
  static const Alignment trailing;  ///< trailing edge, centred vertically
  static const Alignment top;
  static const Alignment bottom;
  static const Alignment topLeading;

  friend bool operator==(const Alignment&, const Alignment&) = default;
};

inline constexpr Alignment Alignment::center{HorizontalAlignment::center, VerticalAlignment::center};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::leading, VerticalAlignment::center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::trailing, VerticalAlignment::center};
inline constexpr Alignment Alignment::top{HorizontalAlignment::center, VerticalAlignment::top};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::center, VerticalAlignment::bottom};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::leading, VerticalAlignment::top};

}  // namespace velto::toolkit
