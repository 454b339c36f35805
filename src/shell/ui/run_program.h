#pragma once

#include "shell/edition.h"

namespace tessar {

// The body of both programs' main(): the application object, the main
// window of the edition, the event loop.
int RunProgram(const Edition& edition, int argc, char** argv);

}  // namespace tessar
