// JsonDecodingError: a JSON text that does not have the expected form, and where.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace velto {

/// Names the JSON path ("accounts[3].windows[0].percent", empty for the whole document) and the problem
/// ("expected a number"); what() is "path: problem".
class JsonDecodingError : public std::runtime_error {
 public:
  JsonDecodingError(std::string path, std::string problem)
      : std::runtime_error((path.empty() ? std::string("document") : path) + ": " + problem),
        path_(std::move(path)),
        problem_(std::move(problem)) {}

  const std::string& path() const noexcept { return path_; }
  const std::string& problem() const noexcept { return problem_; }

 private:
  std::string path_;
  std::string problem_;
};

}  // namespace velto
