#pragma once

#include "shell/edition.h"

namespace tessar {

// The body of both programs' main(): the command line (shell/command_line.h:
// a refused one ends the run with status 2 and the usage on standard error),
// the program folder and its instance, the data server ports, the
// application object, the main window of the edition, the event loop, the
// termination signals and the service manager's notices. --headless: no
// window system (the offscreen platform), status lines and messages on
// standard error; the logger refuses to start without its settings file.
int RunProgram(const Edition& edition, int argc, char** argv);

}  // namespace tessar
