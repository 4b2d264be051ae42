// PropertyList: parsing from memory and typed lookups over libplist's nodes.
#include "PropertyList.h"

#include <plist/plist.h>

#include <cstdint>
#include <limits>

namespace velto::platform {
namespace {

// The value of `key` in a dictionary node; nothing when `node` is not a dictionary or lacks the key.
plist_t dictionaryItem(plist_t node, std::string_view key) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_DICT) return nullptr;
  const std::string terminated(key);
  // libplist takes C strings, which would cut such a key short into another key.
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

void PropertyList::Release::operator()(void* node) const { plist_free(node); }

std::optional<PropertyList> PropertyList::parse(std::string_view bytes) {
  // libplist reports a failure only as a missing root.
  if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
  if (root == nullptr) return std::nullopt;
  return PropertyList(root);
}

std::optional<std::string> PropertyList::string(std::string_view key) const {
  return stringValue(dictionaryItem(root_.get(), key));
}

std::vector<std::string> PropertyList::strings(std::string_view key) const {
  const plist_t array = dictionaryItem(root_.get(), key);
  std::vector<std::string> result;
  if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) return result;
  const std::uint32_t count = plist_array_get_size(array);
  for (std::uint32_t index = 0; index < count; ++index) {
    if (auto text = stringValue(plist_array_get_item(array, index))) result.push_back(std::move(*text));
  }
  return result;
}

}  // namespace velto::platform
