// What the programs take from their command line and from a program folder's
// ".net" file; anything else refuses the start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/server_port_config.h"

namespace tessar {
namespace {

using Action = CommandLine::Action;
constexpr EditionKind L = EditionKind::Logger;
constexpr EditionKind V = EditionKind::Client;

TEST(CommandLine, OnlyTheListedOptionsWithGoodValuesStartARun) {
  struct Case {
    std::vector<std::string> args;
    EditionKind edition;
    Action action;
    int port = 0;
    std::string instance;
    bool headless = false;
    bool connect = false;
    const char* error = "";  // part of the refusal
  };
  const Case cases[] = {
      {{}, L, Action::Run},
      {{"--headless"}, L, Action::Run, 0, "", true},
      {{"--server-port", "8000"}, L, Action::Run, 8000},
      {{"--server-port=8000"}, L, Action::Run, 8000},
      {{"--server-port", "1"}, L, Action::Run, 1},
      {{"--server-port", "65532"}, L, Action::Run, 65532},  // D on 65535
      {{"--server-port", "08000"}, L, Action::Run, 8000},
      {{"--server-port", "7000", "--server-port", "8000"}, L, Action::Run, 8000},  // the last one
      {{"--instance", "oven-1_a.b"}, L, Action::Run, 0, "oven-1_a.b"},
      {{"--instance=Kiln2", "--headless"}, V, Action::Run, 0, "Kiln2", true},
      {{"--connect", "--headless"}, V, Action::Run, 0, "", true, true},
      {{"--help", "--bogus"}, L, Action::Help},
      {{"--version"}, V, Action::Version},
      {{"--headless", "--version"}, L, Action::Version},
      // refused
      {{"--bogus"}, L, Action::Refuse, 0, "", false, false, "unknown option \"--bogus\""},
      {{"-h"}, L, Action::Refuse, 0, "", false, false, "unknown option"},
      {{"--connect"}, L, Action::Refuse, 0, "", false, false, "unknown option \"--connect\""},
      {{"--server-port", "abc"}, L, Action::Refuse, 0, "", false, false, "\"abc\""},
      {{"--server-port", "70000"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", "65533"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", "0"}, V, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", "-5"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", "+80"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", " 80"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port", "99999999999999999999"}, L, Action::Refuse, 0, "", false, false, "1..65532"},
      {{"--server-port"}, L, Action::Refuse, 0, "", false, false, "\"--server-port\" needs a value"},
      {{"--server-port="}, L, Action::Refuse, 0, "", false, false, "\"\""},
      {{"--headless=1"}, L, Action::Refuse, 0, "", false, false, "takes no value"},
      {{"--instance"}, V, Action::Refuse, 0, "", false, false, "needs a value"},
      {{"--instance", ""}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", "a/b"}, L, Action::Refuse, 0, "", false, false, "--instance \"a/b\""},
      {{"--instance", ".."}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", "a..b"}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", ".hidden"}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", "-x"}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", "ofen 1"}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", "k\xC3\xB6ln"}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"--instance", std::string(64, 'a')}, L, Action::Run, 0, std::string(64, 'a')},
      {{"--instance", std::string(65, 'a')}, L, Action::Refuse, 0, "", false, false, "--instance"},
      {{"lab1"}, L, Action::Refuse, 0, "", false, false, "unexpected argument \"lab1\""},
      {{"--headless", "--", "x"}, L, Action::Refuse, 0, "", false, false, "unknown option \"--\""},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += "'" + a + "' ";
    SCOPED_TRACE(shown + (c.edition == V ? "(viewer)" : "(logger)"));
    const CommandLine line = ParseCommandLine(c.args, c.edition);
    EXPECT_EQ(line.action, c.action) << line.error;
    if (c.action == Action::Refuse) {
      EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
      continue;
    }
    EXPECT_TRUE(line.error.empty());
    if (c.action != Action::Run) continue;
    EXPECT_EQ(line.serverPort, c.port);
    EXPECT_EQ(line.instance, c.instance);
    EXPECT_EQ(line.headless, c.headless);
    EXPECT_EQ(line.connectAtStart, c.connect);
  }
  // every option taken is in the usage and the help
  for (EditionKind edition : {L, V}) {
    const std::string usage = UsageText(edition, "prog");
    const std::string help = HelpText(edition, "prog");
    for (const char* option : {"--headless", "--instance NAME", "--server-port N"}) {
      EXPECT_NE(usage.find(option), std::string::npos) << option;
      EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(usage.find("--connect") != std::string::npos, edition == V);
    EXPECT_NE(usage.find("prog --help"), std::string::npos);
  }
}

TEST(CommandLine, TheNetFileGivesTheFirstServerPortOrSaysWhyNot) {
  struct Case {
    const char* text;
    int port;            // 0: refused
    const char* error;   // part of the refusal
  };
  const Case cases[] = {
      {"[server]\nport=8000\n", 8000, ""},
      {"; oven 3\n[server]\nport = 8004   ; A..D on 8004..8007\n", 8004, ""},
      {"[server]\nport=65532\n", 65532, ""},
      {"[server]\nport=65533\n", 0, "line 2: port must be a whole number 1..65532"},
      {"[server]\nport=0\n", 0, "1..65532"},
      {"[server]\nport=80a\n", 0, "1..65532"},
      {"[server]\nport=\n", 0, "1..65532"},
      {"[server]\n", 0, "[server] port is required"},
      {"", 0, "[server] port is required"},
      {"[server]\nport=8000\nbind=0.0.0.0\n", 0, "line 3: unknown key"},
      {"[http]\nport=8000\n", 0, "unknown key"},
      {"port=8000\n", 0, "line 1"},
      {"[server]\nport=8000\nport=8004\n", 0, "line 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ServerPortConfig config = ParseServerPortConfig(ParseIni(c.text));
    EXPECT_EQ(config.firstPort, c.port) << config.error;
    if (c.port == 0) {
      EXPECT_NE(config.error.find(c.error), std::string::npos) << config.error;
    } else {
      EXPECT_TRUE(config.error.empty()) << config.error;
    }
  }
  EXPECT_EQ(ServerPortConfigPathFor("/home/ann/.config/tessar/oven1/tessar.SET"),
            "/home/ann/.config/tessar/oven1/tessar.net");
  EXPECT_FALSE(ReadServerPortConfig("/nonexistent/tessar.net").has_value());
}

}  // namespace
}  // namespace tessar
