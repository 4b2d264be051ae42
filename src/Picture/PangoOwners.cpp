// PangoOwners: the release functions, where Pango's headers are seen.
#include "PangoOwners.h"

#include <pango/pango.h>

namespace velto::render {

void GObjectRelease::operator()(void* object) const { g_object_unref(object); }
void GMemoryRelease::operator()(void* memory) const { g_free(memory); }
void PangoFontDescriptionRelease::operator()(PangoFontDescription* description) const {
  pango_font_description_free(description);
}
void PangoAttrListRelease::operator()(PangoAttrList* attributes) const { pango_attr_list_unref(attributes); }

}  // namespace velto::render
