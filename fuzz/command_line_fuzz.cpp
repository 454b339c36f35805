// The programs' command line and a program folder's ".net" file, whatever is
// typed. The first byte chooses: bit 0 the edition, bit 1 the ".net" text
// instead of arguments (separated by NUL bytes). What is taken is sound, a
// refusal says why, and the options taken read back the same.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "shell/command_line.h"
#include "shell/server_port_config.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const EditionKind edition = (data[0] & 1) != 0 ? EditionKind::Client : EditionKind::Logger;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);

  if ((data[0] & 2) != 0) {
    const ServerPortConfig config = ParseServerPortConfig(ParseIni(rest));
    Require(config.firstPort == 0 || (config.firstPort >= 1 && config.firstPort <= kLastFirstServerPort),
            "a port taken from the file leaves room for four boards");
    Require((config.firstPort == 0) != config.error.empty(), "a file is taken or refused with a reason");
    return 0;
  }

  std::vector<std::string> arguments(1);
  for (const char c : rest) {
    if (c == '\0') {
      arguments.emplace_back();
    } else {
      arguments.back().push_back(c);
    }
  }
  const CommandLine line = ParseCommandLine(arguments, edition);
  Require((line.action == CommandLine::Action::Refuse) != line.error.empty(),
          "a refusal, and only a refusal, says why");
  if (line.action != CommandLine::Action::Run) return 0;
  Require(line.serverPort == 0 || (line.serverPort >= 1 && line.serverPort <= kLastFirstServerPort),
          "a port taken leaves room for four boards");
  Require(line.instance.empty() || IsInstanceName(line.instance), "an instance taken is a sound name");
  Require(line.instance.find('/') == std::string::npos && line.instance != "..",
          "an instance never leaves the program folder");
  Require(!line.connectAtStart || edition == EditionKind::Client, "only the viewer connects");

  std::vector<std::string> again;
  if (line.headless) again.push_back("--headless");
  if (line.connectAtStart) again.push_back("--connect");
  if (line.serverPort != 0) again.push_back("--server-port=" + std::to_string(line.serverPort));
  if (!line.instance.empty()) again.insert(again.end(), {"--instance", line.instance});
  const CommandLine reread = ParseCommandLine(again, edition);
  Require(reread.action == CommandLine::Action::Run && reread.headless == line.headless &&
              reread.connectAtStart == line.connectAtStart && reread.serverPort == line.serverPort &&
              reread.instance == line.instance,
          "the options taken read back the same");
  return 0;
}
