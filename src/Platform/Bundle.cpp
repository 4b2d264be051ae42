// Bundle: finds the resource folder from the executable's own location and reads its property lists.
#include "Bundle.h"

#include <plist/plist.h>

#include <cstdint>
#include <memory>
#include <system_error>
#include <type_traits>

#include "BoundedRead.h"

namespace velto::platform {
namespace {

// Far more than any bundle's property list; a larger file is treated as malformed rather than read whole.
constexpr std::size_t maximumPropertyListBytes = std::size_t{1} << 20;

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

// The root node of an XML or binary property list file; nothing when it is missing or does not parse.
Plist readPropertyList(const std::filesystem::path& path) {
  // Never blocks: a FIFO in the bundle cannot hang the caller.
  const auto read = readRegularFile(path, maximumPropertyListBytes, SymbolicLinks::follow);
  if (!read.bytes || read.bytes->empty() || read.exceeds(maximumPropertyListBytes)) return nullptr;
  const std::string& bytes = *read.bytes;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
  return Plist(root);
}

// The value of `key` in a dictionary node; nothing when `node` is not a dictionary or lacks the key.
plist_t dictionaryItem(plist_t node, std::string_view key) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_DICT) return nullptr;
  const std::string terminated(key);
  if (terminated.find('\0') != std::string::npos) return nullptr;
  return plist_dict_get_item(node, terminated.c_str());
}

std::optional<std::string> stringValue(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  if (text == nullptr) return std::nullopt;
  return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace

std::optional<std::filesystem::path> resourceDirectory() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return executable.parent_path().parent_path() / "share" / "velto-widget";
}

std::optional<Bundle> Bundle::main() {
  auto folder = platform::resourceDirectory();
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(*folder, error)) return std::nullopt;
  return Bundle(std::move(*folder));
}

std::optional<std::string> Bundle::infoString(std::string_view key) const {
  const auto root = readPropertyList(resourceDirectory_ / "Info.plist");
  return stringValue(dictionaryItem(root.get(), key));
}

std::vector<std::string> Bundle::applicationGroups() const {
  const auto root = readPropertyList(resourceDirectory_ / "velto-widget.entitlements");
  const plist_t groups = dictionaryItem(root.get(), "com.apple.security.application-groups");
  std::vector<std::string> result;
  if (groups == nullptr || plist_get_node_type(groups) != PLIST_ARRAY) return result;
  const std::uint32_t count = plist_array_get_size(groups);
  for (std::uint32_t index = 0; index < count; ++index) {
    if (auto group = stringValue(plist_array_get_item(groups, index))) result.push_back(std::move(*group));
  }
  return result;
}

}  // namespace velto::platform
