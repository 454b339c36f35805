// The logger as a service runs it: installed into a prefix whose bin/ cannot
// be written, it keeps its files in the per-user folder; without a window it
// refuses a first run, records, and ends on SIGTERM through the orderly
// shutdown (settings kept, relays reset).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcessEnvironment>
#include <filesystem>
#include <set>
#include <string>

#include "acquisition/recording_file.h"
#include "e2e_harness.h"
#include "test_support.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

// No window system at all: the program has to choose its platform itself.
QProcessEnvironment Headless(const std::string& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME"})
    env.remove(name);
  env.insert("HOME", QString::fromStdString(home));
  return env;
}

// Every recording file of board `letter` under `data`: whole records only.
std::size_t WholeRecords(const std::string& data, char letter, bool& complete) {
  std::size_t records = 0;
  complete = true;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(data, ec)) {
    if (entry.path().extension() != ".ORV" ||
        entry.path().parent_path().filename() != std::string(1, letter))
      continue;
    const std::uintmax_t size = fs::file_size(entry.path(), ec);
    if (size < kRecordingHeaderSize || (size - kRecordingHeaderSize) % kRecordingRecordSize != 0)
      complete = false;
    else
      records += (size - kRecordingHeaderSize) / kRecordingRecordSize;
  }
  return records;
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename());
  return names;
}

}  // namespace

TEST(HeadlessEndToEnd, SigtermRunsTheOrderlyShutdownOfARecordingLogger) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const std::string settings = install.BinDirectory() + "/tessar.SET";
  const std::string data = install.DataDirectory();
  const QProcessEnvironment env = Headless(install.Root());
  const QString root = QString::fromStdString(install.Root());

  ChildProcess sim(BinPath("orva-sim"),
                   {"--dir", QString::fromStdString(install.PortsDirectory()), "--device", "COM1",
                    "--model", "ORVA-2100", "--device", "COM2", "--model", "ORVA-2280"},
                   env, root);
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();

  // a first run needs a person: refused, nothing written
  ChildProcess firstRun(install.ProgramPath(), {"--headless"}, env, root);
  ASSERT_TRUE(firstRun.WaitForEnd(30000));
  EXPECT_EQ(firstRun.ExitCode(), 2);
  EXPECT_NE(firstRun.Errors().find("tessar-settings"), std::string::npos) << firstRun.Errors();
  EXPECT_NE(firstRun.Errors().find(settings), std::string::npos) << firstRun.Errors();
  EXPECT_FALSE(FileExists(settings));

  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings)}).exitCode, 0);
  const ProcessResult set = RunProcess(
      BinPath("tessar-settings"),
      {"set", QString::fromStdString(settings), "A.englishUi=1", "A.portNumber=1",
       "A.modelName=ORVA-2100", "A.channelRangeMv[0]=1250", "A.refVoltage=2.5", "B.portNumber=2",
       "B.modelName=ORVA-2280", "A.dataDirectory=" + QString::fromStdString(data)});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  const std::vector<unsigned char> before = ReadBytes(settings);

  ChildProcess tessar(install.ProgramPath(), {"--headless"}, env, root);
  ASSERT_TRUE(tessar.Started());
  bool complete = true;
  ASSERT_TRUE(WaitUntil([&] { return WholeRecords(data, 'B', complete) >= 3 || !tessar.Running(); }, 40000))
      << tessar.Errors();
  ASSERT_TRUE(tessar.Running()) << tessar.Errors();
  EXPECT_TRUE(tessar.Terminate(15000)) << "no end on SIGTERM";
  EXPECT_FALSE(tessar.CrashedOrSignalled());
  EXPECT_EQ(tessar.ExitCode(), 0);

  // status lines went to standard error for the journal
  EXPECT_NE(tessar.Errors().find("tessar: COM1 was opened\n"), std::string::npos) << tessar.Errors();
  EXPECT_NE(tessar.Errors().find("tessar: COM2 was opened\n"), std::string::npos) << tessar.Errors();
  // relays reset by the shutdown: kind 0 gets "D0", the others "P0"
  EXPECT_TRUE(sim.Terminate(5000));
  EXPECT_NE(sim.Output().find("COM1 relay D0"), std::string::npos) << sim.Output();
  EXPECT_NE(sim.Output().find("COM2 relay P0"), std::string::npos) << sim.Output();
  EXPECT_GE(WholeRecords(data, 'A', complete), 3u);
  EXPECT_TRUE(complete);
  WholeRecords(data, 'B', complete);
  EXPECT_TRUE(complete);
  EXPECT_EQ(ReadBytes(settings), before) << "the settings came back as they were read";
  EXPECT_FALSE(FileExists(install.BinDirectory() + "/Exception1.Err"));
}

// `cmake --install` into a prefix whose bin/ is read-only (for root too: it
// runs without the override of file permissions): the logger's settings file
// is looked for, and kept, in $XDG_CONFIG_HOME/tessar, never beside it.
TEST(HeadlessEndToEnd, AnInstalledLoggerKeepsItsFilesInThePerUserFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string root = dir.path().toStdString();
  const std::string prefix = root + "/prefix";
  const ProcessResult installed =
      RunProcess("cmake", {"--install", TESSAR_BIN_DIR "/..", "--prefix", QString::fromStdString(prefix)}, 120000);
  ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
  for (const char* file : {"bin/tessar", "bin/tessview", "bin/tessar-settings", "bin/tessar-records",
                           "bin/orva-sim", "share/applications/tessar.desktop",
                           "share/applications/tessview.desktop",
                           "share/icons/hicolor/scalable/apps/tessar.svg",
                           "share/icons/hicolor/scalable/apps/tessview.svg", "share/tessar/alarm.wav",
                           "lib/systemd/user/tessar.service",
                           "lib/systemd/user/tessview.service"}) {
    EXPECT_TRUE(FileExists(prefix + "/" + file)) << file;
  }
  const std::string bin = prefix + "/bin";
  fs::permissions(bin, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::set<std::string> shipped = Entries(bin);

  QProcessEnvironment env = Headless(root + "/home");
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(root + "/config"));
  const std::string userFolder = root + "/config/tessar";
  const std::string settings = userFolder + "/tessar.SET";
  // root writes anywhere: the logger runs as an ordinary user would
  const std::string program = bin + "/tessar";
  QStringList arguments{"--headless"};
  std::string launcher = program;
  if (geteuid() == 0) {
    launcher = "/usr/bin/setpriv";
    arguments = QStringList{"--bounding-set=-dac_override,-dac_read_search", "--",
                            QString::fromStdString(program), "--headless"};
  }

  ChildProcess firstRun(launcher, arguments, env, dir.path());
  ASSERT_TRUE(firstRun.WaitForEnd(30000));
  EXPECT_EQ(firstRun.ExitCode(), 2);
  EXPECT_NE(firstRun.Errors().find(settings), std::string::npos) << firstRun.Errors();
  EXPECT_TRUE(fs::is_directory(userFolder)) << "made on first use";

  ASSERT_EQ(RunProcess(bin + "/tessar-settings", {"init", QString::fromStdString(settings)}).exitCode, 0);
  ASSERT_EQ(RunProcess(bin + "/tessar-settings",
                       {"set", QString::fromStdString(settings), "A.dataDirectory=" + dir.path() + "/data"})
                .exitCode,
            0);
  const std::vector<unsigned char> before = ReadBytes(settings);
  ChildProcess tessar(launcher, arguments, env, dir.path());
  // the start sequence has run once the data directory exists
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(root + "/data") || !tessar.Running(); }, 30000));
  ASSERT_TRUE(tessar.Running()) << tessar.Errors();
  EXPECT_TRUE(tessar.Terminate(15000));
  EXPECT_EQ(tessar.ExitCode(), 0) << tessar.Errors();
  EXPECT_EQ(ReadBytes(settings), before);
  EXPECT_EQ(Entries(bin), shipped) << "nothing beside the installed programs";
  fs::permissions(bin, fs::perms::owner_write, fs::perm_options::add);
}
