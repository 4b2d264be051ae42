// UsageWidgetLanguage: which of the widget's two languages a user gets.
#pragma once

#include <string>
#include <vector>

namespace velto {

/// True when the first preferred language exists and its code begins with "zh" (simplified or traditional,
/// with or without a region); every later language is ignored.
inline bool prefersChinese(const std::vector<std::string>& preferredLanguages) {
  return !preferredLanguages.empty() && preferredLanguages.front().starts_with("zh");
}

}  // namespace velto
