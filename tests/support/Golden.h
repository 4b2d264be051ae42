// Golden: comparing a test's text output byte for byte with a file kept beside the fixtures.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "EscapedText.h"
#include "TestFiles.h"

namespace velto::testing_support {

/// Expects `actual` to equal the golden file at `path`; with VELTO_UPDATE_GOLDENS set, writes it there first.
/// A failure names the file and shows `actual` escaped, so invisible bytes are readable.
inline void expectGolden(const std::filesystem::path& path, const std::string& actual) {
  if (std::getenv("VELTO_UPDATE_GOLDENS") != nullptr) std::ofstream(path, std::ios::binary) << actual;
  EXPECT_EQ(actual, readFile(path)) << path << "\n" << escaped(actual);
}

}  // namespace velto::testing_support
