#pragma once

#include "shell/edition.h"

namespace tessar {

// The body of both programs' main(): the options, the application object,
// the main window of the edition, the event loop. Options:
//   --headless        no window system: the offscreen platform, status lines
//                     and messages on standard error, SIGTERM and SIGINT end
//                     the run through the orderly shutdown; the logger
//                     refuses to start without its settings file
//   --help, --version this text or the version on standard output
// and those of net/ui/network_options.h.
int RunProgram(const Edition& edition, int argc, char** argv);

}  // namespace tessar
