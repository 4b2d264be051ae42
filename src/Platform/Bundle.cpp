// Bundle: finds the resource folder from the executable's own location and reads its property lists.
#include "Bundle.h"

#include <system_error>

#include "BoundedRead.h"
#include "PropertyList.h"

namespace velto::platform {
namespace {

// Far more than any bundle's property list; a larger file is treated as malformed rather than read whole.
constexpr std::size_t maximumPropertyListBytes = std::size_t{1} << 20;

// The property list in a file; nothing when it is missing, does not parse, or is larger than any bundle's.
std::optional<PropertyList> readPropertyList(const std::filesystem::path& path) {
  // Never blocks: a FIFO in the bundle cannot hang the caller.
  const auto read = readRegularFile(path, maximumPropertyListBytes, SymbolicLinks::follow);
  if (!read.bytes || read.bytes->empty() || read.exceeds(maximumPropertyListBytes)) return std::nullopt;
  return PropertyList::parse(*read.bytes);
}

}  // namespace

std::optional<std::filesystem::path> installPrefix() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  std::filesystem::path folder = executable.parent_path();
  // VELTO_HELPER_DIR is relative (GNUInstallDirs' libexec/velto-widget): a folder ending in it is the
  // helpers' folder, and the prefix is what lies before it.
  const std::filesystem::path helpers(VELTO_HELPER_DIR);
  auto tail = folder;
  for (auto part = std::make_reverse_iterator(helpers.end()); part != std::make_reverse_iterator(helpers.begin());
       ++part) {
    if (tail.filename() != *part) return folder.parent_path();
    tail = tail.parent_path();
  }
  return tail;
}

std::optional<std::filesystem::path> resourceDirectory() {
  auto prefix = installPrefix();
  if (!prefix) return std::nullopt;
  return *prefix / "share" / "velto-widget";
}

std::optional<std::filesystem::path> helperProgram(std::string_view name) {
  auto prefix = installPrefix();
  if (!prefix) return std::nullopt;
  return *prefix / VELTO_HELPER_DIR / name;
}

std::optional<Bundle> Bundle::main() {
  auto folder = platform::resourceDirectory();
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(*folder, error)) return std::nullopt;
  return Bundle(std::move(*folder));
}

std::optional<std::string> Bundle::infoString(std::string_view key) const {
  const auto list = readPropertyList(resourceDirectory_ / "Info.plist");
  return list ? list->string(key) : std::nullopt;
}

std::vector<std::string> Bundle::applicationGroups() const {
  const auto list = readPropertyList(resourceDirectory_ / "velto-widget.entitlements");
  return list ? list->strings("com.apple.security.application-groups") : std::vector<std::string>{};
}

}  // namespace velto::platform
