// VisibleText: a walk of the tree collecting what it draws as text.
#include "VisibleText.h"

namespace velto::toolkit {
namespace {

void collect(const Element& element, std::vector<std::string>& texts) {
  const Content& content = element.node().content;
  if (const auto* text = std::get_if<TextContent>(&content); text && !text->text.empty()) texts.push_back(text->text);
  if (const auto* label = std::get_if<LabelContent>(&content); label && !label->title.empty()) {
    texts.push_back(label->title);
  }
  for (const Element& child : element.children()) collect(child, texts);
}

}  // namespace

std::vector<std::string> visibleTexts(const Element& element) {
  std::vector<std::string> texts;
  collect(element, texts);
  return texts;
}

}  // namespace velto::toolkit
