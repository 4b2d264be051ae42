// PictureProgram: the picture program is exec'd rather than spawned, so that no second process waits on it.
#include "PictureProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "Bundle.h"

namespace velto::app {

ExitCode runPictureProgram(char** argv, std::ostream& err) {
  const auto program = platform::helperProgram(pictureProgramName);
  if (!program) {
    err << "velto-widget: cannot find the picture program: the location of this program is unknown\n";
    return exitRefused;
  }
  ::execv(program->c_str(), argv);
  const int error = errno;
  err << "velto-widget: cannot start the picture program " << program->string() << ": " << std::strerror(error)
      << '\n';
  return exitRefused;
}

}  // namespace velto::app
