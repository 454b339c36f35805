// The logger as a service runs it: installed into a prefix, it keeps its
// files in the per-user folder (also where it could write, as root can);
// without a window it refuses a first run, records, and ends on a termination
// signal through the orderly shutdown (settings kept, relays reset, viewers
// told), as the window edition does; it tells systemd when it is ready and
// alive; several instances run side by side; a bad command line is refused.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "acquisition/recording_file.h"
#include "e2e_harness.h"
#include "net/net_message.h"
#include "settings/board_settings.h"
#include "test_support.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

// No window system at all: the program has to choose its platform itself.
QProcessEnvironment Headless(const std::string& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME",
                           "NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID"})
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

// A first port whose four ports nobody listens on now.
int FreePortBase(int after = 0) {
  std::mt19937 random(static_cast<unsigned>(getpid()) * 7919u + static_cast<unsigned>(after));
  for (int attempt = 0; attempt < 200; ++attempt) {
    const int base = std::max(after + 4, 20000 + static_cast<int>(random() % 30000u));
    bool free = true;
    std::vector<int> held;
    for (int b = 0; b < kBoardCount && free; ++b) {
      const int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<std::uint16_t>(base + b));
      address.sin_addr.s_addr = htonl(INADDR_ANY);
      free = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      if (fd >= 0) held.push_back(fd);
    }
    for (int fd : held) close(fd);
    if (free) return base;
  }
  return 0;
}

// A viewer's connection to one board's data server on loopback, made when
// first asked for (and again while the server is not listening yet).
class BoardConnection {
 public:
  explicit BoardConnection(int port) : port_(port) {}
  ~BoardConnection() {
    if (fd_ >= 0) close(fd_);
  }
  bool Connected() {
    if (connected_) return true;
    if (fd_ >= 0) close(fd_);
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    return connected_;
  }
  // Sends a request and waits up to `timeoutMs` for `size` bytes of reply.
  std::string Ask(std::uint8_t code, std::size_t size, int timeoutMs) {
    const std::string request = ComposeRequest(code);
    if (!connected_ || send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != 5) return {};
    std::string reply;
    while (reply.size() < size && Receive(reply, timeoutMs)) {
    }
    return reply;
  }
  // Everything the server sends until it closes, at most `timeoutMs`.
  std::string Rest(int timeoutMs) {
    std::string rest;
    while (Receive(rest, timeoutMs)) {
    }
    return rest;
  }

 private:
  bool Receive(std::string& into, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) != 1) return false;
    char buffer[2048];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
  int port_;
  int fd_ = -1;
  bool connected_ = false;
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The settings of type-K ORVA-2280 boards on COM1, COM2, ... recording into `data`.
void WriteBoardSettings(const std::string& settings, const std::string& data, int boards,
                        const std::string& job) {
  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings)}).exitCode, 0);
  QStringList set{"set", QString::fromStdString(settings), "A.englishUi=1"};
  for (int b = 0; b < boards; ++b) {
    const QString p = QString(QChar('A' + b)) + ".";
    set << p + QString("portNumber=%1").arg(b + 1) << p + "modelName=ORVA-2280"
        << p + "boardSensorType=1" << p + "dataDirectory=" + QString::fromStdString(data)
        << p + "jobTitle=" + QString::fromStdString(job) + " " + QChar('A' + b);
    for (int slot = 0; slot < kSlotCount; ++slot) set << p + QString("channelSensorType[%1]=1").arg(slot);
  }
  const ProcessResult result = RunProcess(BinPath("tessar-settings"), set);
  ASSERT_EQ(result.exitCode, 0) << result.err;
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

// `cmake --install` into a prefix: the logger's settings file is looked for,
// and kept, in $XDG_CONFIG_HOME/tessar, never beside it: not when bin/ is
// read-only (for root too: it runs without the override of file permissions),
// and not when bin/ can be written, as root can write /usr/bin.
TEST(HeadlessEndToEnd, AnInstalledLoggerKeepsItsFilesInThePerUserFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string root = dir.path().toStdString();
  const std::string prefix = root + "/prefix";
  const ProcessResult installed = InstallBuildTree(prefix);
  ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;
  for (const char* file : {"bin/tessar", "bin/tessview", "bin/tessar-settings", "bin/tessar-records",
                           "bin/orva-sim", "share/applications/tessar.desktop",
                           "share/applications/tessview.desktop",
                           "share/icons/hicolor/scalable/apps/tessar.svg",
                           "share/icons/hicolor/scalable/apps/tessview.svg", "share/tessar/alarm.wav",
                           "lib/systemd/user/tessar.service", "lib/systemd/user/tessview.service",
                           "lib/systemd/user/tessar@.service", "lib/systemd/user/tessview@.service"}) {
    EXPECT_TRUE(FileExists(prefix + "/" + file)) << file;
  }
  const std::string bin = prefix + "/bin";
  const std::set<std::string> shipped = Entries(bin);
  const std::string program = bin + "/tessar";

  struct Case {
    const char* what;
    bool readOnlyBin;
  };
  for (const Case c : {Case{"bin/ read-only", true}, Case{"bin/ writable, as root's /usr/bin", false}}) {
    SCOPED_TRACE(c.what);
    const std::string config = root + "/config-" + (c.readOnlyBin ? "ro" : "rw");
    QProcessEnvironment env = Headless(root + "/home");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(config));
    const std::string userFolder = config + "/tessar";
    const std::string settings = userFolder + "/tessar.SET";
    const std::string data = root + "/data-" + (c.readOnlyBin ? "ro" : "rw");
    QStringList arguments{"--headless"};
    std::string launcher = program;
    if (c.readOnlyBin) {
      fs::permissions(bin, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
      // root writes anywhere: the logger runs as an ordinary user would
      if (geteuid() == 0) {
        launcher = "/usr/bin/setpriv";
        arguments = QStringList{"--bounding-set=-dac_override,-dac_read_search", "--",
                                QString::fromStdString(program), "--headless"};
      }
    }

    ChildProcess firstRun(launcher, arguments, env, dir.path());
    ASSERT_TRUE(firstRun.WaitForEnd(30000));
    EXPECT_EQ(firstRun.ExitCode(), 2);
    EXPECT_NE(firstRun.Errors().find(settings), std::string::npos) << firstRun.Errors();
    EXPECT_TRUE(fs::is_directory(userFolder)) << "made on first use";

    ASSERT_EQ(RunProcess(bin + "/tessar-settings", {"init", QString::fromStdString(settings)}).exitCode, 0);
    ASSERT_EQ(RunProcess(bin + "/tessar-settings",
                         {"set", QString::fromStdString(settings),
                          "A.dataDirectory=" + QString::fromStdString(data)})
                  .exitCode,
              0);
    const std::vector<unsigned char> before = ReadBytes(settings);
    ChildProcess tessar(launcher, arguments, env, dir.path());
    // the start sequence has run once the data directory exists
    ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(data) || !tessar.Running(); }, 30000));
    ASSERT_TRUE(tessar.Running()) << tessar.Errors();
    EXPECT_TRUE(tessar.Terminate(15000));
    EXPECT_EQ(tessar.ExitCode(), 0) << tessar.Errors();
    EXPECT_EQ(ReadBytes(settings), before);
    EXPECT_EQ(Entries(bin), shipped) << "nothing beside the installed programs";
    fs::permissions(bin, fs::perms::owner_write, fs::perm_options::add);
  }
}

// A mistyped command line or program folder file starts nothing: the reason
// and the usage on standard error, status 2, for both programs.
TEST(HeadlessEndToEnd, ABadCommandLineOrNetFileIsRefusedWithTheUsageAndStatus2) {
  for (const char* name : {"tessar", "tessview"}) {
    PrivateInstall install(BinPath(name));
    ASSERT_TRUE(install.Ok()) << install.Error();
    struct Case {
      QStringList arguments;
      const char* reason;
      const char* netFile;  // written beside the settings first, or null
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\"", nullptr},
        {{"--server-port", "abc"}, "--server-port \"abc\"", nullptr},
        {{"--server-port", "70000"}, "--server-port \"70000\"", nullptr},
        {{"--headless", "--server-port"}, "\"--server-port\" needs a value", nullptr},
        {{"--instance", "../up"}, "--instance \"../up\"", nullptr},
        {{"--headless"}, ".net: line 2: port must be a whole number", "[server]\nport=70000\n"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(name) + " " + c.arguments.join(' ').toStdString());
      const std::string net = install.BinDirectory() + "/" + name + ".net";
      if (c.netFile) std::ofstream(net) << c.netFile;
      const ProcessResult result = RunProcess(install.ProgramPath(), c.arguments);
      fs::remove(net);
      EXPECT_EQ(result.exitCode, 2);
      EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
      if (!c.netFile) {
        EXPECT_NE(result.err.find("Usage: " + std::string(name)), std::string::npos) << result.err;
      }
      EXPECT_TRUE(result.out.empty()) << result.out;
      EXPECT_FALSE(FileExists(install.BinDirectory() + "/" + name + ".SET"));
    }
  }
}

// SIGTERM, SIGINT and SIGHUP end either edition through the orderly
// shutdown, without the question: the settings written (the test removed the
// file), the relay reset, a connected viewer told "Server is closed", status
// 0. A message box that waits for a person (board A's port is missing, so
// the start sequence waits in "Failed in Opening Port" before board B's port
// opens) is cancelled first, and the shutdown runs after the start sequence,
// so that it resets board B too.
TEST(HeadlessEndToEnd, TerminationSignalsRunTheOrderlyShutdownInBothEditions) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const std::string settings = install.BinDirectory() + "/tessar.SET";
  const QProcessEnvironment headless = Headless(install.Root());
  QProcessEnvironment window = headless;
  window.insert("QT_QPA_PLATFORM", "offscreen");
  const QString root = QString::fromStdString(install.Root());
  ChildProcess sim(BinPath("orva-sim"),
                   {"--dir", QString::fromStdString(install.PortsDirectory()), "--device", "COM1",
                    "--model", "ORVA-2100"},
                   headless, root);
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();
  const int port = FreePortBase();
  ASSERT_NE(port, 0);

  struct Case {
    const char* what;
    bool headless;
    int signal;
    bool boxOpen;  // board A on a missing port, the device on board B
  };
  const Case cases[] = {
      {"window, SIGTERM while a message box waits", false, SIGTERM, true},
      {"window, SIGINT", false, SIGINT, false},
      {"window, SIGHUP", false, SIGHUP, false},
      {"headless, SIGHUP", true, SIGHUP, false},
  };
  const auto count = [&sim](const char* line) { return Count(sim.Output(), line); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings), "--force"}).exitCode, 0);
    const QString device = c.boxOpen ? "B." : "A.";
    ASSERT_EQ(RunProcess(BinPath("tessar-settings"),
                         {"set", QString::fromStdString(settings), "A.englishUi=1",
                          QString("A.portNumber=%1").arg(c.boxOpen ? 99 : 1), device + "portNumber=1",
                          device + "modelName=ORVA-2100", device + "channelRangeMv[0]=1250",
                          device + "refVoltage=2.5",
                          "A.dataDirectory=" + QString::fromStdString(install.DataDirectory())})
                  .exitCode,
              0);
    const std::size_t opened = count("COM1 DK");
    const std::size_t resets = count("COM1 relay D0");
    QStringList arguments{QString("--server-port=%1").arg(port)};
    if (c.headless) arguments << "--headless";
    ChildProcess tessar(install.ProgramPath(), arguments, c.headless ? headless : window, root);
    if (!c.boxOpen) {
      ASSERT_TRUE(sim.WaitForOutput([&](const std::string& out, const std::string&) {
        return Count(out, "COM1 DK") > opened || !tessar.Running();
      }, 30000)) << tessar.Errors();
    }
    BoardConnection viewer(port);
    ASSERT_TRUE(WaitUntil([&] { return viewer.Connected() || !tessar.Running(); }, 30000));
    // answered: the server has taken the connection (in the box's event
    // loop, when the box is open: the servers open before the ports)
    ASSERT_EQ(viewer.Ask(kDataCode, kFrameReplySize, 30000).size(), std::size_t(kFrameReplySize))
        << tessar.Errors();
    if (c.boxOpen) {
      EXPECT_EQ(count("COM1 DK"), opened) << "board B opens after the box";
    }
    fs::remove(settings);

    tessar.Signal(c.signal);
    const std::string told = viewer.Rest(20000);
    EXPECT_TRUE(tessar.WaitForEnd(20000)) << "no end on the signal";
    EXPECT_FALSE(tessar.CrashedOrSignalled());
    EXPECT_EQ(tessar.ExitCode(), 0) << tessar.Errors();
    EXPECT_NE(told.find(kServerClosedText), std::string::npos) << told.size() << " bytes";
    EXPECT_EQ(ReadBytes(settings).size(), sizeof(SettingsImage)) << "the settings written";
    EXPECT_TRUE(sim.WaitForOutput([&](const std::string& out, const std::string&) {
      return Count(out, "COM1 relay D0") > resets;
    }, 10000)) << sim.Output();
    EXPECT_EQ(count("COM1 DK"), opened + 1);
  }
  EXPECT_FALSE(FileExists(install.BinDirectory() + "/Exception1.Err"));
}

// Under systemd (Type=notify, WatchdogSec): "READY=1" once the start
// sequence has opened the ports, "WATCHDOG=1" on the acquisition ticks,
// "STOPPING=1" when the orderly end begins; sent to $NOTIFY_SOCKET.
TEST(HeadlessEndToEnd, TheServiceManagerHearsReadyWatchdogAndStopping) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  QProcessEnvironment env = Headless(install.Root());
  const QString root = QString::fromStdString(install.Root());
  ChildProcess sim(BinPath("orva-sim"),
                   {"--dir", QString::fromStdString(install.PortsDirectory()), "--device", "COM1"},
                   env, root);
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();
  const std::string settings = install.BinDirectory() + "/tessar.SET";
  WriteBoardSettings(settings, install.DataDirectory(), 1, "notify");
  if (HasFatalFailure()) return;

  const std::string socketPath = install.Root() + "/notify";
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
  env.insert("NOTIFY_SOCKET", QString::fromStdString(socketPath));
  env.insert("WATCHDOG_USEC", "30000000");

  std::vector<std::string> messages;
  const auto receive = [&] {
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 100) == 1) {
      char buffer[512];
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) messages.emplace_back(buffer, static_cast<std::size_t>(n));
    }
  };
  const auto count = [&](const std::string& message) {
    return std::count(messages.begin(), messages.end(), message);
  };

  ChildProcess tessar(install.ProgramPath(), {"--headless", QString("--server-port=%1").arg(FreePortBase())},
                      env, root);
  ASSERT_TRUE(WaitUntil([&] { receive(); return !messages.empty() || !tessar.Running(); }, 30000))
      << tessar.Errors();
  EXPECT_EQ(messages.front(), "READY=1");
  // written before the notice was sent
  EXPECT_TRUE(tessar.WaitForOutput([](const std::string&, const std::string& err) {
    return err.find("tessar: COM1 was opened\n") != std::string::npos;
  }, 10000)) << "ready only after the start sequence: " << tessar.Errors();
  EXPECT_TRUE(WaitUntil([&] { receive(); return count("WATCHDOG=1") >= 3 || !tessar.Running(); }, 30000))
      << messages.size() << " messages";
  EXPECT_TRUE(tessar.Terminate(15000));
  EXPECT_EQ(tessar.ExitCode(), 0);
  receive();
  EXPECT_EQ(count("READY=1"), 1);
  EXPECT_EQ(messages.back(), "STOPPING=1");
  close(fd);
}

// Two loggers on one machine, each with two boards of its own simulator: each
// instance keeps its settings, .net file and ports/ folder in its subfolder
// of the program folder, records its own devices into its own data
// directory, and serves its own boards on the ports of its own .net file.
TEST(HeadlessEndToEnd, TwoInstancesRecordTheirOwnBoardsAndServeThemOnTheirOwnPorts) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const QProcessEnvironment env = Headless(install.Root());
  const QString root = QString::fromStdString(install.Root());
  struct Instance {
    const char* name;
    double channel1;  // board A's channel 1; board B's is 1 more
    int port = 0;
    std::string folder;
    std::string data;
    std::unique_ptr<ChildProcess> sim;
    std::unique_ptr<ChildProcess> tessar;
  };
  Instance instances[2] = {{"oven-1", 31.0, 0, {}, {}, {}, {}}, {"oven-2", 61.0, 0, {}, {}, {}, {}}};
  int lastPort = 0;
  for (Instance& i : instances) {
    i.folder = install.BinDirectory() + "/" + i.name;
    i.data = install.Root() + "/data-" + i.name;
    i.port = lastPort = FreePortBase(lastPort);
    ASSERT_NE(i.port, 0);
    ASSERT_TRUE(fs::create_directories(i.folder));
    QStringList simArguments{"--dir", QString::fromStdString(i.folder + "/ports")};
    for (int b = 0; b < 2; ++b)
      simArguments << "--device" << QString("COM%1").arg(b + 1) << "--signal"
                   << QString("1=constant:%1").arg(i.channel1 + b);
    i.sim = std::make_unique<ChildProcess>(BinPath("orva-sim"), simArguments, env, root);
    ASSERT_TRUE(i.sim->WaitForLine("ready", 10000)) << i.sim->Errors();
    WriteBoardSettings(i.folder + "/tessar.SET", i.data, 2, i.name);
    if (HasFatalFailure()) return;
    std::ofstream(i.folder + "/tessar.net") << "[server]\nport=" << i.port << "\n";
  }
  for (Instance& i : instances)
    i.tessar = std::make_unique<ChildProcess>(install.ProgramPath(),
                                              QStringList{"--headless", "--instance", i.name}, env, root);
  for (Instance& i : instances) {
    SCOPED_TRACE(i.name);
    ASSERT_TRUE(WaitUntil([&] {
      return (BoardRecords(i.data, 'A').size() >= 2 && BoardRecords(i.data, 'B').size() >= 2) ||
             !i.tessar->Running();
    }, 40000)) << i.tessar->Errors();
    ASSERT_TRUE(i.tessar->Running()) << i.tessar->Errors();
    // each board's record from the instance's own ports
    for (int b = 0; b < 2; ++b) {
      BoardConnection viewer(i.port + b);
      ASSERT_TRUE(viewer.Connected()) << "port " << i.port + b;
      const std::string reply = viewer.Ask(kSettingsCode, kSettingsReplySize, 20000);
      ASSERT_EQ(reply.size(), std::size_t(kSettingsReplySize));
      EXPECT_NE(reply.find(std::string(i.name) + " " + char('A' + b)), std::string::npos) << "board " << b;
    }
  }
  for (Instance& i : instances) {
    SCOPED_TRACE(i.name);
    EXPECT_TRUE(i.tessar->Terminate(15000));
    EXPECT_EQ(i.tessar->ExitCode(), 0) << i.tessar->Errors();
    for (int b = 0; b < 2; ++b) {
      const std::vector<RecordingRecord> records = BoardRecords(i.data, char('A' + b));
      ASSERT_FALSE(records.empty());
      for (const RecordingRecord& r : records) EXPECT_NEAR(r.values[1], i.channel1 + b, 0.5) << "board " << b;
    }
    EXPECT_TRUE(BoardRecords(i.data, 'C').empty());
    EXPECT_TRUE(FileExists(i.folder + "/tessar.SET"));
  }
  // nothing of an instance beside the program
  EXPECT_EQ(Entries(install.BinDirectory()), (std::set<std::string>{"tessar", "oven-1", "oven-2"}));
}
