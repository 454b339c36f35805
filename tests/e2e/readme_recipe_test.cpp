// The README's recipes as a user runs them: the commands of its service
// section, taken from the README itself, against orva-sim as the device,
// with the logger run as its unit runs it (without systemd); and the
// documents the package ships.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcessEnvironment>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "settings/board_settings.h"
#include "test_support.h"
#include "wait.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

constexpr char kMarker[] = "<!-- recipe: service -->";

// The commands of every fenced block that follows the marker, in order:
// indentation removed, lines ended by a backslash joined to the next.
std::vector<std::string> MarkedCommands(const std::string& readme) {
  std::vector<std::string> commands;
  std::istringstream lines(readme);
  bool marked = false;
  bool inBlock = false;
  std::string pending;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    const std::string text = first == std::string::npos ? "" : line.substr(first);
    if (text == kMarker) {
      marked = true;
    } else if (text.rfind("```", 0) == 0) {
      inBlock = marked && !inBlock;
      if (!inBlock) marked = false;
    } else if (inBlock && !text.empty()) {
      pending += text;
      if (pending.back() == '\\') {
        pending.back() = ' ';
        continue;
      }
      commands.push_back(pending);
      pending.clear();
    }
  }
  return commands;
}

// A prefix that looks installed (its bin/ cannot be written, share/tessar/
// beside it), holding the built logger and settings tool, and a home.
struct InstalledTree {
  QTemporaryDir dir;
  std::string root = dir.path().toStdString();
  std::string bin = root + "/prefix/bin";
  std::string home = root + "/home";

  InstalledTree() {
    fs::create_directories(bin);
    fs::create_directories(root + "/prefix/share/tessar");
    fs::create_directories(home);
    for (const char* program : {"tessar", "tessar-settings"}) {
      std::error_code ec;
      fs::create_hard_link(fs::canonical(BinPath(program)), bin + "/" + program, ec);
      if (ec) fs::copy_file(fs::canonical(BinPath(program)), bin + "/" + program, ec);
      EXPECT_FALSE(ec) << program << ": " << ec.message();
    }
    fs::permissions(bin, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  ~InstalledTree() { fs::permissions(bin, fs::perms::owner_write, fs::perm_options::add); }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME"})
      env.remove(name);
    env.insert("HOME", QString::fromStdString(home));
    env.insert("PATH", QString::fromStdString(bin) + ":/usr/bin:/bin");
    return env;
  }
  // What the unit runs; root writes anywhere, so it runs as a user would.
  std::pair<std::string, QStringList> Logger() const {
    const QString tessar = QString::fromStdString(bin + "/tessar");
    if (geteuid() != 0) return {bin + "/tessar", {"--headless"}};
    return {"/usr/bin/setpriv", {"--bounding-set=-dac_override,-dac_read_search", "--", tessar, "--headless"}};
  }
};

struct Shell {
  int exitCode;
  std::string err;
};

Shell RunShell(const InstalledTree& tree, const std::string& command) {
  ChildProcess shell("/bin/bash", {"-c", QString::fromStdString(command)}, tree.Environment(),
                     QString::fromStdString(tree.home));
  EXPECT_TRUE(shell.WaitForEnd(Scaled(30000))) << command;
  return {shell.ExitCode(), shell.Errors()};
}

}  // namespace

// The service section, run as written: the settings written with the
// device's own configuration, the logger recording the device's values, a
// change refused while it runs and taken once it stopped.
TEST(ReadmeRecipe, TheServiceSectionRecordsTheDevicesValues) {
  const std::vector<std::string> commands = MarkedCommands(FileText(SourcePath("README.md")));
  ASSERT_GE(commands.size(), 4u) << "no marked commands in the README";
  InstalledTree tree;
  const std::string folder = tree.home + "/.config/tessar";
  // the README's device: a type-K ORVA-2280 on COM101 (/dev/ttyUSB0), here
  // through the ports/ folder of the installed logger
  const double values[] = {24.5, 181.25, -10.5, 22, 23, 24, 25, 26, 27};
  QStringList simArgs{"--dir", QString::fromStdString(folder + "/ports"), "--device", "COM101",
                      "--model", "ORVA-2280", "--letters", "KKKKKKKK", "--period", "200"};
  for (int slot = 0; slot < kSlotCount; ++slot)
    simArgs << "--signal" << QString("%1=constant:%2").arg(slot).arg(values[slot]);
  ChildProcess sim(BinPath("orva-sim"), simArgs, tree.Environment(), QString::fromStdString(tree.home));
  ASSERT_TRUE(sim.WaitForLine("ready", Scaled(10000))) << sim.Errors();

  std::unique_ptr<ChildProcess> logger;
  bool started = false;
  for (const std::string& command : commands) {
    if (command == "systemctl --user enable --now tessar") {
      const auto [program, args] = tree.Logger();
      logger = std::make_unique<ChildProcess>(program, args, tree.Environment(),
                                              QString::fromStdString(tree.home));
      started = true;
    } else if (command.rfind("sudo ", 0) == 0 || command.rfind("journalctl ", 0) == 0) {
      continue;  // a system's own business: lingering, the journal
    } else {
      const Shell shell = RunShell(tree, command);
      ASSERT_EQ(shell.exitCode, 0) << command << "\n" << shell.err;
    }
  }
  ASSERT_TRUE(started) << "the section starts no service";

  const std::string data = tree.home + "/Tessar";
  ASSERT_TRUE(WaitUntil([&] { return BoardRecords(data, 'A').size() >= 3 || !logger->Running(); },
                        40000))
      << logger->Errors();
  ASSERT_TRUE(logger->Running()) << logger->Errors();
  for (const RecordingRecord& record : BoardRecords(data, 'A')) {
    for (int slot = 0; slot < kSlotCount; ++slot)
      EXPECT_NEAR(record.values[slot], values[slot], 0.1) << "slot " << slot;
  }

  // a change while it runs would be written over at its end: refused
  const std::string change = "tessar-settings set ~/.config/tessar/tessar.SET A.alarmHigh[1]=77";
  const Shell refused = RunShell(tree, change);
  EXPECT_EQ(refused.exitCode, 3) << refused.err;
  EXPECT_NE(refused.err.find("in use by tessar (process "), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("stop it first: systemctl --user stop tessar"), std::string::npos)
      << refused.err;
  EXPECT_TRUE(logger->Terminate(Scaled(15000))) << "no end on SIGTERM";
  EXPECT_EQ(logger->ExitCode(), 0) << logger->Errors();
  const Shell taken = RunShell(tree, change);
  EXPECT_EQ(taken.exitCode, 0) << taken.err;
  SettingsImage image;
  ASSERT_TRUE(LoadSettings(folder + "/tessar.SET", image));
  EXPECT_EQ(image.boards[0].alarmHigh[1], 77.0);
  EXPECT_STREQ(image.boards[0].modelName, "ORVA-2280");
}

// The package ships the README and the page of the files a user edits, with
// the sections a reader looks for.
TEST(ReadmeRecipe, TheInstallShipsTheReadmeAndTheFilesPage) {
  QTemporaryDir dir;
  const std::string prefix = dir.path().toStdString() + "/prefix";
  const ProcessResult installed = InstallBuildTree(prefix);
  ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
  EXPECT_EQ(FileText(prefix + "/share/doc/tessar/README.md"), FileText(SourcePath("README.md")));
  const std::string page = prefix + "/share/man/man5/tessar.5.gz";
  ASSERT_TRUE(FileExists(page));
  const ProcessResult text = RunProcess("/bin/sh", {"-c", "LC_ALL=C.UTF-8 MANWIDTH=100 man -l " + QString::fromStdString(page)});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  for (const char* expected : {"FILES", "ENVIRONMENT", "EXIT STATUS", "boardSensorType", "0 mV, 1 K",
                               "channelName[0..8]", "serverAddress[0..9]", "queue_limit", "[http] bind",
                               "[health] stuck_minutes", "TESSAR_DATA_DIR"}) {
    EXPECT_NE(text.out.find(expected), std::string::npos) << expected;
  }
  const ProcessResult sim = RunProcess(
      "/bin/sh", {"-c", "LC_ALL=C.UTF-8 MANWIDTH=100 man -l " + QString::fromStdString(prefix + "/share/man/man1/orva-sim.1.gz")});
  EXPECT_NE(sim.out.find("FAULTS"), std::string::npos) << sim.out;
  EXPECT_NE(sim.out.find("│split"), std::string::npos) << "the faults as a table:\n" << sim.out;
}
