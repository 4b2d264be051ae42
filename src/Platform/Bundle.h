// Bundle: the running program's resource folder, its Info.plist and its entitlements.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto::platform {

/// The folder the package's files lie under, the same in the build tree and after installation: the one that
/// holds the running program's `bin/`, or for a program of the package's own folder of helper programs
/// (`libexec/velto-widget/`), the one above that; nothing when the executable's location cannot be read.
std::optional<std::filesystem::path> installPrefix();

/// `share/velto-widget` under installPrefix().
std::optional<std::filesystem::path> resourceDirectory();

/// The helper program `name` in the package's own folder (`libexec/velto-widget/` under installPrefix()),
/// which the commands run and people do not.
std::optional<std::filesystem::path> helperProgram(std::string_view name);

/// A bundle: a resource folder holding `Info.plist` and `velto-widget.entitlements` (both property lists).
/// Every lookup reads the files afresh; a missing or malformed file answers like a missing key.
class Bundle {
 public:
  explicit Bundle(std::filesystem::path resourceDirectory) : resourceDirectory_(std::move(resourceDirectory)) {}

  /// The running program's bundle; nothing when its resource folder cannot be found.
  static std::optional<Bundle> main();

  const std::filesystem::path& resourceDirectory() const { return resourceDirectory_; }

  /// The text value of `key` at the top level of Info.plist; nothing when the file is missing or malformed,
  /// the key is missing, or its value is not text.
  std::optional<std::string> infoString(std::string_view key) const;

  /// The application groups the entitlements list (key "com.apple.security.application-groups", an array
  /// of text); empty when the file, the key or a well-formed array is missing. Entries that are not text
  /// are skipped.
  std::vector<std::string> applicationGroups() const;

 private:
  std::filesystem::path resourceDirectory_;
};

}  // namespace velto::platform
