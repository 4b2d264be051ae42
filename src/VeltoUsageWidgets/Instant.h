// Instant: the one representation of time in the model.
#pragma once

namespace velto {

/// Seconds since 1970-01-01T00:00:00Z; fractions allowed.
using Instant = double;

}  // namespace velto
