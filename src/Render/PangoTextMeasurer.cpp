// PangoTextMeasurer: Pango layouts in pixel sizes, with the faces, weights and digit forms of the pictures.
#include "PangoTextMeasurer.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace velto::render {

namespace {

PangoWeight pangoWeight(toolkit::FontWeight weight) {
  using toolkit::FontWeight;
  switch (weight) {
    case FontWeight::ultraLight: return PANGO_WEIGHT_ULTRALIGHT;
    case FontWeight::thin: return PANGO_WEIGHT_THIN;
    case FontWeight::light: return PANGO_WEIGHT_LIGHT;
    case FontWeight::regular: return PANGO_WEIGHT_NORMAL;
    case FontWeight::medium: return PANGO_WEIGHT_MEDIUM;
    case FontWeight::semibold: return PANGO_WEIGHT_SEMIBOLD;
    case FontWeight::bold: return PANGO_WEIGHT_BOLD;
    case FontWeight::heavy: return PANGO_WEIGHT_ULTRABOLD;
    case FontWeight::black: return PANGO_WEIGHT_HEAVY;
  }
  return PANGO_WEIGHT_NORMAL;
}

struct GFree {
  void operator()(void* pointer) const { g_free(pointer); }
};
struct FontDescriptionFree {
  void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};

/// Pango refuses text that is not UTF-8 with a warning on standard error; such bytes become U+FFFD instead.
std::unique_ptr<char, GFree> validText(std::string_view text) {
  return std::unique_ptr<char, GFree>(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
}

/// A size Pango can hold: at least a hundredth of a pixel, at most a few thousand.
int pangoSize(double pixels) {
  if (!(pixels > 0.01)) pixels = 0.01;
  if (pixels > 4096) pixels = 4096;
  return static_cast<int>(std::lround(pixels * PANGO_SCALE));
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The advance of the figure zero in the face `description` and `attributes` pick for digits: the width
/// that tabular figures conventionally share.
int figureWidth(PangoContext* context, const PangoFontDescription* description, PangoAttrList* attributes) {
  PangoLayout* zero = pango_layout_new(context);
  pango_layout_set_font_description(zero, description);
  pango_layout_set_attributes(zero, attributes);
  pango_layout_set_text(zero, "0", -1);
  int width = 0;
  PangoLayoutLine* line = pango_layout_get_line_readonly(zero, 0);
  if (line != nullptr && line->runs != nullptr) {
    const PangoGlyphString* glyphs = static_cast<PangoGlyphItem*>(line->runs->data)->glyphs;
    if (glyphs->num_glyphs == 1) width = glyphs->glyphs[0].geometry.width;
  }
  g_object_unref(zero);
  return width;
}

/// Gives every digit of `layout`'s one line the advance `width`, the glyph centred in it. The "tnum" feature
/// does that in faces that have it; the rounded face has none, and this makes its digits line up all the
/// same; a digit wider than a zero overhangs its cell a little, as tabular figures may. Pango lets a caller
/// change glyph widths through `pango_layout_get_line`, and measures the line afterwards from the changed
/// glyphs.
void equalizeDigits(PangoLayout* layout, int width) {
  if (width <= 0) return;
  const char* text = pango_layout_get_text(layout);
  PangoLayoutLine* line = pango_layout_get_line(layout, 0);
  for (GSList* run = line != nullptr ? line->runs : nullptr; run != nullptr; run = run->next) {
    auto* item = static_cast<PangoGlyphItem*>(run->data);
    PangoGlyphString* glyphs = item->glyphs;
    for (int i = 0; i < glyphs->num_glyphs; ++i) {
      const int cluster = glyphs->log_clusters[i];
      const bool alone = (i == 0 || glyphs->log_clusters[i - 1] != cluster) &&
                         (i + 1 == glyphs->num_glyphs || glyphs->log_clusters[i + 1] != cluster);
      if (!alone || !isDigit(text[item->item->offset + cluster])) continue;
      PangoGlyphGeometry& geometry = glyphs->glyphs[i].geometry;
      geometry.x_offset += (width - geometry.width) / 2;
      geometry.width = width;
    }
  }
}

}  // namespace

std::string PangoTextMeasurer::families(toolkit::FontDesign design) {
  // Han characters fall through the Latin faces (none of them covers Han) to Noto Sans CJK SC, which comes
  // before any face fontconfig would add as a fallback.
  switch (design) {
    case toolkit::FontDesign::standard: return "Inter,DejaVu Sans,Noto Sans CJK SC";
    case toolkit::FontDesign::rounded: return "Quicksand,Inter,DejaVu Sans,Noto Sans CJK SC";
    case toolkit::FontDesign::serif: return "DejaVu Serif,Noto Sans CJK SC";
    case toolkit::FontDesign::monospaced: return "DejaVu Sans Mono,Noto Sans Mono CJK SC,Noto Sans CJK SC";
  }
  return "Inter,DejaVu Sans,Noto Sans CJK SC";
}

PangoTextMeasurer::PangoTextMeasurer(bool chinese)
    : context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
  if (context_ == nullptr) throw std::runtime_error("Pango has no font map");
  pango_context_set_language(context_, pango_language_from_string(chinese ? "zh-cn" : "en"));
  // Unhinted metrics and unrounded positions: a text is as wide at scale 3 as at scale 1.
  pango_context_set_round_glyph_positions(context_, FALSE);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
}

PangoTextMeasurer::~PangoTextMeasurer() { g_object_unref(context_); }

PangoLayout* PangoTextMeasurer::createLayout(std::string_view text, const toolkit::ResolvedFont& font) const {
  PangoLayout* layout = pango_layout_new(context_);
  const std::unique_ptr<PangoFontDescription, FontDescriptionFree> description(pango_font_description_new());
  const std::string family = families(font.design);
  pango_font_description_set_family(description.get(), family.c_str());
  pango_font_description_set_weight(description.get(), pangoWeight(font.weight));
  pango_font_description_set_absolute_size(description.get(), pangoSize(font.pointSize));
  pango_layout_set_font_description(layout, description.get());
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  const auto valid = validText(text);
  pango_layout_set_text(layout, valid.get(), -1);
  if (font.monospacedDigits) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_features_new("tnum 1"));
    pango_layout_set_attributes(layout, attributes);
    if (std::any_of(valid.get(), valid.get() + std::strlen(valid.get()), isDigit)) {
      equalizeDigits(layout, figureWidth(context_, description.get(), attributes));
    }
    pango_attr_list_unref(attributes);
  }
  return layout;
}

toolkit::Size PangoTextMeasurer::measure(std::string_view text, const toolkit::ResolvedFont& font) const {
  PangoLayout* layout = createLayout(text, font);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return {static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE};
}

std::vector<FontRun> PangoTextMeasurer::runs(std::string_view text, const toolkit::ResolvedFont& font) const {
  PangoLayout* layout = createLayout(text, font);
  const char* setText = pango_layout_get_text(layout);
  std::vector<FontRun> result;
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
  for (GSList* run = line != nullptr ? line->runs : nullptr; run != nullptr; run = run->next) {
    const auto* item = static_cast<PangoGlyphItem*>(run->data)->item;
    const std::unique_ptr<PangoFontDescription, FontDescriptionFree> description(
        pango_font_describe(item->analysis.font));
    const char* family = pango_font_description_get_family(description.get());
    result.push_back({std::string(setText + item->offset, static_cast<std::size_t>(item->length)),
                      family != nullptr ? family : ""});
  }
  g_object_unref(layout);
  return result;
}

}  // namespace velto::render
