// Waybar: the summary's fields as JSON members; a small JSON string writer.
#include "Waybar.h"

#include "Utf8Text.h"

namespace velto::render {
namespace {

std::string markup(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string jsonString(std::string_view text) {
  const std::string valid = toolkit::validUtf8(text);
  std::string out = "\"";
  constexpr char hex[] = "0123456789abcdef";
  for (const char c : valid) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          ((out += "\\u00") += hex[byte >> 4]) += hex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string waybarJson(const StatusSummary& summary, const StatusTemplate& textTemplate) {
  std::string tooltip;
  for (const auto& line : summary.lines) (tooltip += tooltip.empty() ? "" : "\n") += line;
  std::string json = "{\"text\":" + jsonString(markup(textTemplate.fill(summary)));
  if (!summary.agent.empty()) json += ",\"alt\":" + jsonString(summary.agent);
  json += ",\"tooltip\":" + jsonString(markup(tooltip)) + ",\"class\":" + jsonString(stateName(summary.state));
  if (summary.percentage) json += ",\"percentage\":" + std::to_string(*summary.percentage);
  return json + "}";
}

}  // namespace velto::render
