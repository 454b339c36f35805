#include "shell/edition.h"
#include "shell/ui/run_program.h"

int main(int argc, char** argv) { return tessar::RunProgram(tessar::kTessarEdition, argc, argv); }
