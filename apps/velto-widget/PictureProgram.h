// PictureProgram: velto-widget-picture, run in velto-widget's place for the commands that draw pictures.
#pragma once

#include <iosfwd>

#include "ExitCode.h"

namespace velto::app {

/// The name of the program that draws pictures: the same commands linked with the picture stack, in the
/// package's folder of helper programs.
inline constexpr const char* pictureProgramName = "velto-widget-picture";

/// Replaces this process with the picture program, given the same arguments, so that it runs the command
/// line as typed with the same process, standard streams and signals (`watch` stays the process a status bar
/// started). Returns only when the program cannot be started: exitRefused, after saying why on `err`.
ExitCode runPictureProgram(char** argv, std::ostream& err);

}  // namespace velto::app
