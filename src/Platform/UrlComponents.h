// UrlComponents: a URL taken apart into its components, as a URL-components parser of the platform would.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velto::platform {

/// The components of a URI reference (RFC 3986), each as written (still percent-encoded). A component that
/// is absent differs from one that is present but empty: "velto://usage?" has an empty query.
struct UrlComponents {
  std::optional<std::string> scheme;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> host;  ///< present whenever the reference has an authority ("//")
  std::optional<std::string> port;  ///< the digits after the host's ':', possibly none
  std::string path;
  std::optional<std::string> query;
  std::optional<std::string> fragment;

  /// The components of `text`, or nothing when it is not a well-formed URI reference (a character that no
  /// component allows, a bad percent escape, a port that is not digits, a bad scheme).
  static std::optional<UrlComponents> parse(std::string_view text);

  /// `text` with its percent escapes decoded; nothing when an escape is malformed.
  static std::optional<std::string> percentDecoded(std::string_view text);
};

}  // namespace velto::platform
