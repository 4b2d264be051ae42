// PangoOwners: one owner per kind of GLib and Pango object the renderers hold, declared without Pango's
// headers so that the measurer's header stays free of them.
#pragma once

#include <memory>

extern "C" {
typedef struct _PangoAttrList PangoAttrList;
typedef struct _PangoFontDescription PangoFontDescription;
}

namespace velto::render {

struct GObjectRelease {
  void operator()(void* object) const;  // g_object_unref
};
/// Owns one reference to a GObject (a PangoLayout, a PangoContext).
template <typename Object>
using GObjectOwner = std::unique_ptr<Object, GObjectRelease>;

struct GMemoryRelease {
  void operator()(void* memory) const;  // g_free
};
/// Owns memory that GLib allocated, such as the text g_utf8_make_valid returns.
using GCharOwner = std::unique_ptr<char, GMemoryRelease>;

struct PangoFontDescriptionRelease {
  void operator()(PangoFontDescription* description) const;
};
/// Owns a font description.
using PangoFontDescriptionOwner = std::unique_ptr<PangoFontDescription, PangoFontDescriptionRelease>;

struct PangoAttrListRelease {
  void operator()(PangoAttrList* attributes) const;
};
/// Owns one reference to an attribute list.
using PangoAttrListOwner = std::unique_ptr<PangoAttrList, PangoAttrListRelease>;

}  // namespace velto::render
