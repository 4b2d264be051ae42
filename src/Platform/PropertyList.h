// PropertyList: a property list (XML or binary) parsed by libplist, owned, with the lookups the bundle needs.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto::platform {

/// The root node of a parsed property list; libplist's types stay inside Platform.
class PropertyList {
 public:
  /// The property list `bytes` hold; nothing when they are empty or do not parse.
  static std::optional<PropertyList> parse(std::string_view bytes);

  /// The text value of `key` in the top-level dictionary; nothing when the root is no dictionary, the key is
  /// missing (a key holding a NUL is missing) or its value is not text.
  std::optional<std::string> string(std::string_view key) const;

  /// The text entries of the array at `key` in the top-level dictionary, in order, entries that are not text
  /// left out; empty when there is no such array.
  std::vector<std::string> strings(std::string_view key) const;

 private:
  struct Release {
    void operator()(void* node) const;  // plist_free
  };
  explicit PropertyList(void* root) : root_(root) {}

  std::unique_ptr<void, Release> root_;
};

}  // namespace velto::platform
