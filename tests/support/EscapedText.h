// EscapedText: UTF-8 text made readable in test failure messages.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace velto::testing_support {

/// The text with every byte beyond printable ASCII (and the backslash) written as \xHH.
inline std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
      out += hex;
    }
  }
  return out;
}

}  // namespace velto::testing_support
