// SnapshotError: why writing or projecting a snapshot was refused.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velto {

/// The closed set of refusals of the producer side, in the order the file format defines them.
enum class SnapshotError {
  tooLarge,     ///< a size or count limit is exceeded
  invalid,      ///< the snapshot does not pass validation
  unavailable,  ///< no shared directory could be resolved
};

/// The case's name, as written in the code ("tooLarge", ...).
std::string_view name(SnapshotError error);

/// The exception that carries a SnapshotError, with a sentence that says what exactly was refused
/// (for `invalid`, the JSON path and the rule that failed).
class SnapshotFailure : public std::runtime_error {
 public:
  SnapshotFailure(SnapshotError error, const std::string& detail);
  SnapshotError error() const noexcept { return error_; }

 private:
  SnapshotError error_;
};

}  // namespace velto
