// PangoTextMeasurer: measures and sets text with Pango, in the faces the pictures are drawn with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Layout.h"

#include "PangoOwners.h"

// Pango's own declarations, so that this header does not need Pango's include paths.
extern "C" {
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
}

namespace velto::render {

/// One stretch of a line that Pango sets in a single face.
struct FontRun {
  std::string text;
  std::string family;  ///< the family of the face Pango chose, e.g. "Noto Sans CJK SC"
  friend bool operator==(const FontRun&, const FontRun&) = default;
};

/// Measures one-line texts as the picture renderer draws them. Sizes are pixels, one per point at scale 1
/// (never Pango's points at 96 dpi). Latin text is set in a UI sans (Inter, else DejaVu Sans), the rounded
/// design in a rounded face where one is installed (Quicksand), and every Han character in Noto Sans CJK SC;
/// for Chinese the language is zh-cn as well, so no other CJK face is ever chosen. Glyph positions are not
/// rounded and metrics are not hinted, so a measurement holds at any drawing scale.
///
/// Uses Pango's default font map of the calling thread; an instance belongs to one thread at a time.
class PangoTextMeasurer final : public toolkit::TextMeasurer {
 public:
  /// Loads fontconfig's configuration on the calling thread first (once per process): left to Pango, that
  /// runs on a thread of Pango's own, whose start aborts the process when it fails. Throws
  /// std::runtime_error when the configuration cannot be loaded.
  explicit PangoTextMeasurer(bool chinese);

  toolkit::Size measure(std::string_view text, const toolkit::ResolvedFont& font) const override;

  /// The runs of `text` on one line in `font`, in logical order, with the face each is set in.
  std::vector<FontRun> runs(std::string_view text, const toolkit::ResolvedFont& font) const;

  /// A new layout of `text` in `font`, set exactly as `measure` measures it.
  GObjectOwner<PangoLayout> createLayout(std::string_view text, const toolkit::ResolvedFont& font) const;

  /// The family list Pango is asked for, first choice first, for `design`.
  static std::string families(toolkit::FontDesign design);

 private:
  GObjectOwner<PangoContext> context_;
};

}  // namespace velto::render
