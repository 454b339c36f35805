// The command line of both programs. Only the options listed in the help
// text are taken: anything else (an unknown option, a value that is not a
// port, a missing value, a word that is no option) refuses the start, so a
// typing error never starts a logger that serves or reads the wrong thing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/edition.h"

namespace tessar {

// The last first port: boards A..D take N..N+3.
constexpr int kLastFirstServerPort = 65535 - 3;
constexpr std::size_t kInstanceNameLimit = 64;

struct CommandLine {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  bool headless = false;
  bool connectAtStart = false;  // the viewer's --connect
  int serverPort = 0;           // --server-port N; 0 when not given
  std::string instance;         // --instance NAME; empty when not given
  std::string error;            // Refuse: the reason, one line without the program name
};

// Reads `arguments` (without the program's own name) for the edition.
// "--help" and "--version" end the reading where they stand. Options with a
// value take it as the next argument or after '=' ("--server-port=8000").
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, EditionKind edition);

// A first server port written in decimal digits only, 1..kLastFirstServerPort.
bool ParseFirstServerPort(std::string_view text, int& port);

// An instance name is a folder name of one part: 1..64 letters (ASCII),
// digits, '-', '_' and '.', beginning with a letter or a digit, without "..".
bool IsInstanceName(std::string_view name);

// The usage line(s) for standard error after a refusal, ending in a pointer
// to --help; and the whole help text for --help.
std::string UsageText(EditionKind edition, std::string_view program);
std::string HelpText(EditionKind edition, std::string_view program);

}  // namespace tessar
