// SampleReportCommand: the sample from the program's resource folder, through the report shift.
#include "SampleReportCommand.h"

#include <ostream>

#include "Bundle.h"
#include "InputFile.h"
#include "InstantArgument.h"
#include "ReportShift.h"
#include "TimeZone.h"
#include "UsageWidgetProjection.h"

namespace velto::app {

ExitCode sampleReportCommand(const std::optional<std::string>& at, Streams streams) {
  const auto instant = instantArgument(at, streams.err);
  if (!instant) return exitUsage;
  const auto bundle = platform::Bundle::main();
  if (!bundle) {
    streams.err << "velto-widget: cannot find the program's resource folder\n";
    return exitRefused;
  }
  const auto sample = bundle->resourceDirectory() / "samples" / "report.json";
  streams.out << producer::shiftReport(readInput(sample.string(), maximumReportBytes), *instant,
                                       platform::TimeZone::current());
  return exitSuccess;
}

}  // namespace velto::app
