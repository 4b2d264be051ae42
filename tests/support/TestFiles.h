// TestFiles: reading fixture files and listing fixture folders.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velto::testing_support {

/// The whole file, byte for byte.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

/// The files of `folder` whose names end with `suffix`, sorted, so that a corpus runs in a stable order.
inline std::vector<std::filesystem::path> filesEndingWith(const std::filesystem::path& folder,
                                                          std::string_view suffix) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().ends_with(suffix)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

/// What a fail fixture must be refused with: the start of the message, kept in the ".error" file beside it.
inline std::string expectedRefusal(const std::filesystem::path& fixture) {
  auto expected = fixture;
  expected.replace_extension(".error");
  return readFile(expected);
}

}  // namespace velto::testing_support
