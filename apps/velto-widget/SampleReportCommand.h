// SampleReportCommand: `sample-report`, the bundled sample report as if it had just been taken: a collector for
// trying the host out.
#pragma once

#include <optional>
#include <string>

#include "Commands.h"
#include "ExitCode.h"

namespace velto::app {

/// Prints the bundled sample report moved so that it reads as taken at `at` (default now; parsed as --at of
/// project), its history ending on that day in the user's time zone. A bad --at is a usage error.
ExitCode sampleReportCommand(const std::optional<std::string>& at, Streams streams);

}  // namespace velto::app
