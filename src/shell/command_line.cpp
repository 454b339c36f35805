#include "shell/command_line.h"

#include <optional>

namespace tessar {

namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "--name=value" split at its first '='; the whole argument and no value otherwise.
struct Split {
  std::string_view name;
  std::optional<std::string_view> value;
};

Split SplitAtEquals(std::string_view argument) {
  if (argument.rfind("--", 0) != 0) return {argument, std::nullopt};
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

CommandLine Refused(std::string reason) {
  CommandLine refused;
  refused.action = CommandLine::Action::Refuse;
  refused.error = std::move(reason);
  return refused;
}

}  // namespace

bool ParseFirstServerPort(std::string_view text, int& port) {
  if (text.empty() || text.size() > 6) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kLastFirstServerPort) return false;
  port = value;
  return true;
}

bool IsInstanceName(std::string_view name) {
  if (name.empty() || name.size() > kInstanceNameLimit || !IsLetterOrDigit(name.front())) return false;
  for (const char c : name) {
    if (!IsLetterOrDigit(c) && c != '-' && c != '_' && c != '.') return false;
  }
  return name.find("..") == std::string_view::npos;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, EditionKind edition) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const auto [name, attached] = SplitAtEquals(arguments[i]);
    const bool takesValue = name == "--server-port" || name == "--instance";
    if (attached && !takesValue) return Refused(Quoted(name) + " takes no value");
    std::string_view value;
    if (takesValue) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        return Refused(Quoted(name) + " needs a value");
      }
    }
    if (name == "--help") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (name == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (name == "--headless") {
      line.headless = true;
    } else if (name == "--connect" && edition == EditionKind::Client) {
      line.connectAtStart = true;
    } else if (name == "--server-port") {
      if (!ParseFirstServerPort(value, line.serverPort))
        return Refused("--server-port " + Quoted(value) + ": the first port must be a number 1.." +
                       std::to_string(kLastFirstServerPort) + " (boards A..D take N..N+3)");
    } else if (name == "--instance") {
      if (!IsInstanceName(value))
        return Refused("--instance " + Quoted(value) +
                       ": a name of 1.." + std::to_string(kInstanceNameLimit) +
                       " letters, digits, '-', '_' and '.', beginning with a letter or digit, "
                       "without \"..\"");
      line.instance = std::string(value);
    } else if (name.rfind("-", 0) == 0) {
      return Refused("unknown option " + Quoted(name));
    } else {
      return Refused("unexpected argument " + Quoted(name));
    }
  }
  return line;
}

namespace {

const char kLoggerOptions[] = " [--headless] [--instance NAME] [--server-port N]";
const char kViewerOptions[] = " [--connect] [--headless] [--instance NAME] [--server-port N]";

const char kLoggerHelp[] =
    "\n"
    "Logs the thermocouple boards of ORVA devices on serial ports and serves\n"
    "their data to Tessview over TCP.\n"
    "\n"
    "Options:\n"
    "  --headless        run without a window (e.g. as the tessar.service user\n"
    "                    unit): status lines go to standard error. Needs a\n"
    "                    settings file: write one with tessar-settings or the\n"
    "                    window first.\n"
    "  --instance NAME   one of several loggers on this machine (e.g. the\n"
    "                    tessar@NAME.service user unit): every file of the\n"
    "                    program folder lives in its subfolder NAME/ (letters,\n"
    "                    digits, '-', '_' and '.')\n"
    "  --server-port N   serve boards A..D on TCP ports N..N+3 (default: the\n"
    "                    port of tessar.net, else 7996)\n"
    "  --help            this text\n"
    "  --version         the program's version\n"
    "\n"
    "The program folder holds the settings file tessar.SET, the error log\n"
    "Exception1.Err, temp.bmp, the ports/ folder and the optional tessar.mqtt,\n"
    "tessar.web and tessar.net. It is the program's own folder when the program\n"
    "runs from a folder its user can write (a build or a copied folder), and\n"
    "$XDG_CONFIG_HOME/tessar (default ~/.config/tessar) when it is installed\n"
    "(its ../share/tessar exists) or its folder cannot be written, for root\n"
    "too. With --instance NAME it is the subfolder NAME/ of that folder.\n"
    "\n"
    "tessar.net gives a program folder data server ports of its own, so that\n"
    "several loggers on one machine need no command-line ports:\n"
    "    [server]\n"
    "    port=8000        ; boards A..D on 8000..8003\n"
    "\n"
    "SIGTERM, SIGINT and SIGHUP end the run as closing the window does, without\n"
    "asking: settings kept, relays reset, viewers told, ports closed. Under\n"
    "systemd (Type=notify) it reports ready after its start and pings the\n"
    "watchdog on every acquisition tick.\n"
    "\n"
    "Exit status: 0 after an orderly end; 2 for a refused command line, a\n"
    "tessar.net that cannot be used, or --headless without a settings file.\n";

const char kViewerHelp[] =
    "\n"
    "Watches Tessar loggers over TCP: shows, alarms and records their boards\n"
    "as the logger does.\n"
    "\n"
    "Options:\n"
    "  --connect         connect every board once the window has started\n"
    "  --headless        run without a window and connect every board (e.g. as\n"
    "                    the tessview.service user unit): status lines go to\n"
    "                    standard error. A board whose logger went away is\n"
    "                    connected again after 30 s; one that gives no data\n"
    "                    again and again is tried less often, at most every\n"
    "                    10 minutes. Without a settings file it watches the\n"
    "                    boards of a logger on this machine.\n"
    "  --instance NAME   one of several viewers on this machine (e.g. the\n"
    "                    tessview@NAME.service user unit): every file of the\n"
    "                    program folder lives in its subfolder NAME/ (letters,\n"
    "                    digits, '-', '_' and '.')\n"
    "  --server-port N   look for boards A..D on TCP ports N..N+3 (default: the\n"
    "                    port of tessview.net, else 7996)\n"
    "  --help            this text\n"
    "  --version         the program's version\n"
    "\n"
    "The program folder holds the settings file tessview.SET, the error log\n"
    "Exception2.Err, temp.bmp and the optional tessview.mqtt, tessview.web and\n"
    "tessview.net. It is the program's own folder when the program runs from a\n"
    "folder its user can write (a build or a copied folder), and\n"
    "$XDG_CONFIG_HOME/tessar (default ~/.config/tessar) when it is installed\n"
    "(its ../share/tessar exists) or its folder cannot be written, for root\n"
    "too. With --instance NAME it is the subfolder NAME/ of that folder.\n"
    "\n"
    "tessview.net names the data server ports of the loggers it watches, as\n"
    "their own tessar.net does:\n"
    "    [server]\n"
    "    port=8000        ; boards A..D on 8000..8003\n"
    "\n"
    "SIGTERM, SIGINT and SIGHUP end the run as closing the window does, without\n"
    "asking: settings kept, connections closed. Under systemd (Type=notify) it\n"
    "reports ready after its start and pings the watchdog on every poll tick.\n"
    "\n"
    "Exit status: 0 after an orderly end; 2 for a refused command line or a\n"
    "tessview.net that cannot be used.\n";

}  // namespace

std::string UsageText(EditionKind edition, std::string_view program) {
  const std::string name(program);
  return "Usage: " + name + (edition == EditionKind::Client ? kViewerOptions : kLoggerOptions) +
         "\nTry \"" + name + " --help\" for more.\n";
}

std::string HelpText(EditionKind edition, std::string_view program) {
  const bool viewer = edition == EditionKind::Client;
  return "Usage: " + std::string(program) + (viewer ? kViewerOptions : kLoggerOptions) + "\n" +
         (viewer ? kViewerHelp : kLoggerHelp);
}

}  // namespace tessar
