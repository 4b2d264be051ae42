// InputFile: a named file through the bounded reader, or standard input through its read loop.
#include "InputFile.h"

#include <unistd.h>

#include <stdexcept>

#include "BoundedRead.h"

namespace velto::app {

std::string inputName(const std::string& name) { return name == "-" ? "standard input" : name; }

std::string readInput(const std::string& name, std::size_t limit) {
  // A link to a report is as good as the report: only what the name finally leads to must be a regular file.
  auto read = name == "-" ? platform::readAtMost(STDIN_FILENO, limit)
                          : platform::readRegularFile(name, limit, platform::SymbolicLinks::follow);
  if (!read.bytes) throw std::runtime_error(inputName(name) + ": " + read.problem);
  return std::move(*read.bytes);
}

}  // namespace velto::app
