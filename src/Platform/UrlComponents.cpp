// UrlComponents: RFC 3986 decomposition, checking each component's characters.
#include "UrlComponents.h"

#include <algorithm>

namespace velto::platform {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelimiter(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }

// True when every character of `text` is unreserved, a sub-delimiter, one of `extra`, or part of a
// well-formed percent escape.
bool consistsOf(std::string_view text, std::string_view extra) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
      i += 2;
    } else if (!isUnreserved(c) && !isSubDelimiter(c) && extra.find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

bool isScheme(std::string_view text) {
  return !text.empty() && isAlpha(text.front()) && std::all_of(text.begin(), text.end(), [](char c) {
    return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
  });
}

// Splits "user:password@host:port" into `components`; false when a part holds a character it may not.
bool parseAuthority(std::string_view authority, UrlComponents& components) {
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view userInfo = authority.substr(0, at);
    if (!consistsOf(userInfo, ":")) return false;
    const auto colon = userInfo.find(':');
    components.user = std::string(userInfo.substr(0, colon));
    if (colon != std::string_view::npos) components.password = std::string(userInfo.substr(colon + 1));
    authority.remove_prefix(at + 1);
  }
  std::string_view host = authority;
  if (authority.starts_with('[')) {
    const auto close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(0, close + 1);
    if (!consistsOf(host.substr(1, host.size() - 2), ":")) return false;
  } else {
    host = authority.substr(0, authority.find(':'));
    if (!consistsOf(host, "")) return false;
  }
  const std::string_view rest = authority.substr(host.size());
  if (!rest.empty()) {
    if (rest.front() != ':') return false;
    const std::string_view port = rest.substr(1);
    if (!std::all_of(port.begin(), port.end(), isDigit)) return false;
    components.port = std::string(port);
  }
  components.host = std::string(host);
  return true;
}

}  // namespace

std::optional<UrlComponents> UrlComponents::parse(std::string_view text) {
  UrlComponents components;
  if (const auto hash = text.find('#'); hash != std::string_view::npos) {
    const std::string_view fragment = text.substr(hash + 1);
    if (!consistsOf(fragment, ":@/?")) return std::nullopt;
    components.fragment = std::string(fragment);
    text = text.substr(0, hash);
  }
  if (const auto question = text.find('?'); question != std::string_view::npos) {
    const std::string_view query = text.substr(question + 1);
    if (!consistsOf(query, ":@/?")) return std::nullopt;
    components.query = std::string(query);
    text = text.substr(0, question);
  }
  // A scheme ends at the first ':' that comes before any '/'.
  if (const auto colon = text.find(':'); colon != std::string_view::npos && colon < text.find('/')) {
    const std::string_view scheme = text.substr(0, colon);
    if (!isScheme(scheme)) return std::nullopt;
    components.scheme = std::string(scheme);
    text.remove_prefix(colon + 1);
  }
  if (text.starts_with("//")) {
    text.remove_prefix(2);
    const auto slash = text.find('/');
    if (!parseAuthority(text.substr(0, slash), components)) return std::nullopt;
    text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
  }
  if (!consistsOf(text, ":@/")) return std::nullopt;
  components.path = std::string(text);
  return components;
}

std::optional<std::string> UrlComponents::percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
    decoded.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
    i += 2;
  }
  return decoded;
}

}  // namespace velto::platform
