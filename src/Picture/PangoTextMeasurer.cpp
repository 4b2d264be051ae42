// PangoTextMeasurer: Pango layouts in pixel sizes, with the faces, weights and digit forms of the pictures.
#include "PangoTextMeasurer.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "CairoOwners.h"

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

/// Pango refuses text that is not UTF-8 with a warning on standard error; such bytes become U+FFFD instead.
GCharOwner validText(std::string_view text) {
  return GCharOwner(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
}

/// Leaves out the bold collection of Noto Sans CJK: bold Chinese is then the regular face emboldened
/// (fontconfig's 90-synthetic.conf), and a picture in Chinese maps one collection (4 MiB resident) instead
/// of two.
constexpr const char* oneCjkCollection = R"(<?xml version="1.0"?>
<fontconfig><selectfont><rejectfont><glob>*/NotoSansCJK-Bold.ttc</glob></rejectfont></selectfont></fontconfig>)";

/// fontconfig's configuration, the system's with oneCjkCollection, made current once per process by the first
/// thread that asks; a configuration that fails to load is tried again by the next. False when it fails.
bool loadFontConfiguration() {
  static std::mutex mutex;
  static bool loaded = false;
  const std::lock_guard lock(mutex);
  if (loaded) return true;
  FcConfig* config = FcInitLoadConfig();
  if (config == nullptr) return false;
  loaded = FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(oneCjkCollection), FcTrue) ==
               FcTrue &&
           FcConfigBuildFonts(config) == FcTrue && FcConfigSetCurrent(config) == FcTrue;
  FcConfigDestroy(config);  // the current configuration holds a reference of its own
  return loaded;
}

/// The calling thread's default font map, with fontconfig's configuration loaded on this thread (once per
/// process; afterwards at once).
PangoFontMap* fontMap() {
  if (!loadFontConfiguration()) throw std::runtime_error("fontconfig cannot load its configuration");
  PangoFontMap* map = pango_cairo_font_map_get_default();
  if (map == nullptr) throw std::runtime_error("Pango has no font map");
  return map;
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
  const GObjectOwner<PangoLayout> zero(pango_layout_new(context));
  pango_layout_set_font_description(zero.get(), description);
  pango_layout_set_attributes(zero.get(), attributes);
  pango_layout_set_text(zero.get(), "0", -1);
  PangoLayoutLine* line = pango_layout_get_line_readonly(zero.get(), 0);
  if (line == nullptr || line->runs == nullptr) return 0;
  const PangoGlyphString* glyphs = static_cast<PangoGlyphItem*>(line->runs->data)->glyphs;
  return glyphs->num_glyphs == 1 ? glyphs->glyphs[0].geometry.width : 0;
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

PangoTextMeasurer::PangoTextMeasurer(bool chinese) : context_(pango_font_map_create_context(fontMap())) {
  if (!context_) throw std::runtime_error("Pango cannot create a context");
  pango_context_set_language(context_.get(), pango_language_from_string(chinese ? "zh-cn" : "en"));
  // Unhinted metrics and unrounded positions: a text is as wide at scale 3 as at scale 1.
  pango_context_set_round_glyph_positions(context_.get(), FALSE);
  const CairoFontOptions options(cairo_font_options_create());
  if (cairo_font_options_status(options.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cairo cannot create font options");
  }
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context_.get(), options.get());
}

GObjectOwner<PangoLayout> PangoTextMeasurer::createLayout(std::string_view text,
                                                          const toolkit::ResolvedFont& font) const {
  GObjectOwner<PangoLayout> layout(pango_layout_new(context_.get()));
  const PangoFontDescriptionOwner description(pango_font_description_new());
  const std::string family = families(font.design);
  pango_font_description_set_family(description.get(), family.c_str());
  pango_font_description_set_weight(description.get(), pangoWeight(font.weight));
  pango_font_description_set_absolute_size(description.get(), pangoSize(font.pointSize));
  pango_layout_set_font_description(layout.get(), description.get());
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  const auto valid = validText(text);
  pango_layout_set_text(layout.get(), valid.get(), -1);
  if (font.monospacedDigits) {
    const PangoAttrListOwner attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(), pango_attr_font_features_new("tnum 1"));
    pango_layout_set_attributes(layout.get(), attributes.get());
    if (std::any_of(valid.get(), valid.get() + std::strlen(valid.get()), isDigit)) {
      equalizeDigits(layout.get(), figureWidth(context_.get(), description.get(), attributes.get()));
    }
  }
  return layout;
}

toolkit::Size PangoTextMeasurer::measure(std::string_view text, const toolkit::ResolvedFont& font) const {
  const auto layout = createLayout(text, font);
  PangoRectangle logical;
  pango_layout_get_extents(layout.get(), nullptr, &logical);
  return {static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE};
}

std::vector<FontRun> PangoTextMeasurer::runs(std::string_view text, const toolkit::ResolvedFont& font) const {
  const auto layout = createLayout(text, font);
  const char* setText = pango_layout_get_text(layout.get());
  std::vector<FontRun> result;
  PangoLayoutLine* line = pango_layout_get_line_readonly(layout.get(), 0);
  for (GSList* run = line != nullptr ? line->runs : nullptr; run != nullptr; run = run->next) {
    const auto* item = static_cast<PangoGlyphItem*>(run->data)->item;
    const PangoFontDescriptionOwner description(pango_font_describe(item->analysis.font));
    const char* family = description ? pango_font_description_get_family(description.get()) : nullptr;
    result.push_back({std::string(setText + item->offset, static_cast<std::size_t>(item->length)),
                      family != nullptr ? family : ""});
  }
  return result;
}

}  // namespace velto::render
