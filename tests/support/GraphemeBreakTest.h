// GraphemeBreakTest: the lines of Unicode's GraphemeBreakTest.txt, as code points and the clusters they mark.
#pragma once

#include <unicode/unistr.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velto::testing_support {

/// Where the Debian package unicode-data installs the test file.
inline const std::filesystem::path graphemeBreakTestPath = "/usr/share/unicode/auxiliary/GraphemeBreakTest.txt";

/// One line of the test: its code points and where its clusters start.
struct GraphemeBreakLine {
  std::string source;  ///< the line as written, for failure messages
  std::vector<UChar32> scalars;
  std::vector<std::size_t> boundaries;  ///< scalar indexes where a cluster starts, then the end

  /// The scalars in [from, to) as UTF-8.
  std::string utf8(std::size_t from, std::size_t to) const {
    icu::UnicodeString text;
    for (std::size_t i = from; i < to; ++i) text.append(scalars[i]);
    std::string out;
    return text.toUTF8String(out);
  }
};

/// Every line of the file that holds a test, in order; none when the file is absent.
inline std::vector<GraphemeBreakLine> graphemeBreakLines() {
  std::vector<GraphemeBreakLine> lines;
  std::ifstream file(graphemeBreakTestPath);
  for (std::string source; std::getline(file, source);) {
    std::istringstream tokens(source.substr(0, source.find('#')));
    GraphemeBreakLine line{.source = source};
    for (std::string token; tokens >> token;) {
      if (token == "\u00F7") {  // ÷ a boundary
        line.boundaries.push_back(line.scalars.size());
      } else if (token != "\u00D7") {  // × no boundary; anything else is a code point
        line.scalars.push_back(static_cast<UChar32>(std::stoul(token, nullptr, 16)));
      }
    }
    if (!line.scalars.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace velto::testing_support
