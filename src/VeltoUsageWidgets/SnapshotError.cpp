// SnapshotError: names and the carrying exception.
#include "SnapshotError.h"

namespace velto {

std::string_view name(SnapshotError error) {
  switch (error) {
    case SnapshotError::tooLarge: return "tooLarge";
    case SnapshotError::invalid: return "invalid";
    case SnapshotError::unavailable: return "unavailable";
  }
  return "unknown";
}

SnapshotFailure::SnapshotFailure(SnapshotError error, const std::string& detail)
    : std::runtime_error(detail), error_(error) {}

}  // namespace velto
