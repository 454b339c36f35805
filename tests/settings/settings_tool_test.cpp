// The tessar-settings command-line tool, run as a real process.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>

#include "../e2e/e2e_harness.h"
#include "device/port_names.h"
#include "i18n/text_codec.h"
#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"
#include "settings/settings_lock.h"
#include "test_support.h"
#include "wait.h"

using namespace tessar;
using namespace tessar::test;

namespace {

ProcessResult Tool(const QStringList& args) { return RunProcess(BinPath("tessar-settings"), args); }

SettingsImage LoadImage(const std::string& path) {
  SettingsImage image;
  EXPECT_TRUE(LoadSettings(path, image));
  return image;
}

}  // namespace

TEST(SettingsTool, InitSetShowRoundTrip) {
  QTemporaryDir dir;
  const QString file = dir.filePath("tessar.SET");
  ASSERT_EQ(Tool({"init", file}).exitCode, 0);
  EXPECT_EQ(ReadBytes(file.toStdString()).size(), 5216u);

  const ProcessResult set =
      Tool({"set", file, "A.portNumber=3", "B.portNumber=300", "C.portNumber=999999999",
            "B.modelName=ORVA-2280", "A.englishUi=1",
            "C.alarmHigh[2]=80.5", "D.channelName[1]=노즐 온도", "B.sampleInterval=10"});
  ASSERT_EQ(set.exitCode, 0) << set.err;

  const SettingsImage image = LoadImage(file.toStdString());
  EXPECT_EQ(image.boards[0].portNumber, 3);
  // every number the port list can show: COM300 (/dev/ttyACM99) and the
  // longest ports-folder name
  EXPECT_EQ(image.boards[1].portNumber, SystemPortNumber("/dev/ttyACM99"));
  EXPECT_EQ(image.boards[2].portNumber, ComNumberOf("COM999999999"));
  EXPECT_EQ(ComNumberOf("COM1000000000"), 0);
  EXPECT_STREQ(image.boards[1].modelName, "ORVA-2280");
  EXPECT_EQ(image.boards[0].englishUi, 1);
  EXPECT_EQ(image.boards[2].alarmHigh[2], 80.5);
  EXPECT_EQ(image.boards[1].sampleInterval, 10);
  EXPECT_EQ(image.boards[3].channelName[0], std::string("D-0       "));

  const ProcessResult show = Tool({"show", file});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_NE(show.out.find("A.portNumber = 3\n"), std::string::npos);
  EXPECT_NE(show.out.find("B.modelName = \"ORVA-2280\"\n"), std::string::npos);
  EXPECT_NE(show.out.find("C.alarmHigh = 100 100 80.5 100"), std::string::npos);
  EXPECT_NE(show.out.find("D.channelName[1] = \"노즐 온도\"\n"), std::string::npos);
  EXPECT_NE(show.out.find("A.channelRangeMv = 2500 78.125"), std::string::npos);
  EXPECT_NE(show.out.find("D.jobTitle = \"Board D Data\"\n"), std::string::npos);
}

TEST(SettingsTool, RefusalsLeaveTheFileUnchanged) {
  QTemporaryDir dir;
  const QString file = dir.filePath("tessar.SET");
  ASSERT_EQ(Tool({"init", file}).exitCode, 0);
  const auto before = ReadBytes(file.toStdString());

  const QStringList bad[] = {
      {"set", file, "A.portNumber=3", "A.noSuchField=1"},
      {"set", file, "E.portNumber=1"},
      {"set", file, "A.portNumber=three"},
      {"set", file, "A.sampleInterval=0"},
      {"set", file, "A.sampleInterval=1001"},
      {"set", file, "A.alarmHigh=5"},
      {"set", file, "A.alarmHigh[9]=5"},
      {"set", file, "A.refVoltage=nan"},
      {"set", file, "A.modelName=ORVA-2280-with-a-very-long-suffix"},
      {"set", file, "A.dataDirectory=/tmp/café"},  // no CP949 form: never replaced silently
      {"set", file, "A.jobTitle=Kiln 🔥"},
      {"set", file, "A.portNumber=1000000000"},
      {"set", file, "A.channelName[1]=sine 60/25/2min"},  // the window shows 10 characters
      {"set", file, "portNumber=3"},
      {"set", file, "A.portNumber"},
      {"set", file},
      {"frobnicate", file},
  };
  for (const QStringList& args : bad) {
    const ProcessResult r = Tool(args);
    EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
    EXPECT_FALSE(r.err.empty()) << args.join(' ').toStdString();
    EXPECT_EQ(ReadBytes(file.toStdString()), before) << args.join(' ').toStdString();
  }
  EXPECT_NE(Tool({"show", dir.filePath("missing.SET")}).exitCode, 0);
  EXPECT_NE(Tool({"set", dir.filePath("missing.SET"), "A.portNumber=1"}).exitCode, 0);
  EXPECT_FALSE(FileExists(dir.filePath("missing.SET").toStdString()));
}

TEST(SettingsTool, ClientFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("tessview.SET");
  ASSERT_EQ(Tool({"init", file, "--client"}).exitCode, 0);
  EXPECT_EQ(ReadBytes(file.toStdString()).size(), 372u);
  ASSERT_EQ(Tool({"set", file, "--client", "pollInterval[1]=5", "serverAddress[1]=192.0.2.7",
                  "serverCount=2"}).exitCode, 0);
  EXPECT_NE(Tool({"set", file, "--client", "serverAddress[2]=" + QString(25, 'x')}).exitCode, 0);

  ClientSettings s;
  ASSERT_TRUE(LoadClientSettings(file.toStdString(), s));
  EXPECT_EQ(s.pollInterval[1], 5);
  EXPECT_EQ(s.serverCount, 2);
  EXPECT_STREQ(s.serverAddress[1], "192.0.2.7");
  EXPECT_EQ(s.serverAddress[2][0], 0);

  const ProcessResult show = Tool({"show", file, "--client"});
  EXPECT_NE(show.out.find("serverAddress[0] = \"127.0.0.1\""), std::string::npos);
  EXPECT_NE(show.out.find("pollInterval = 2 5 2 2"), std::string::npos);
}

// The kind of a file follows the flag; 'set' never changes a file's size or
// kind, and 'show' never calls a longer file's bytes missing.
TEST(SettingsTool, FlagAndFileSizeMustAgree) {
  QTemporaryDir dir;
  const QString logger = dir.filePath("tessar.SET");
  const QString client = dir.filePath("tessview.SET");
  const QString shortLogger = dir.filePath("short.SET");
  ASSERT_EQ(Tool({"init", logger}).exitCode, 0);
  ASSERT_EQ(Tool({"init", client, "--client"}).exitCode, 0);
  WriteBytes(shortLogger.toStdString(), std::vector<unsigned char>(372, 0));  // a short logger file

  struct Case {
    QStringList args;
    const char* says;  // in the message
  };
  const Case refused[] = {
      {{"set", logger, "--client", "englishUi=1"}, "leave out --client"},
      {{"set", client, "A.englishUi=1"}, "give --client"},
      {{"set", shortLogger, "A.englishUi=1"}, "give --client"},
      {{"set", dir.path(), "A.englishUi=1"}, "cannot read"},
      {{"show", logger, "--client"}, "leave out --client"},
  };
  for (const Case& c : refused) {
    const std::string file = c.args[1].toStdString();
    const bool regular = std::filesystem::is_regular_file(file);
    const auto before = regular ? ReadBytes(file) : std::vector<unsigned char>{};
    const ProcessResult r = Tool(c.args);
    EXPECT_NE(r.exitCode, 0) << c.args.join(' ').toStdString();
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("missing"), std::string::npos) << r.err;
    if (regular) {
      EXPECT_EQ(ReadBytes(file), before) << c.args.join(' ').toStdString();
    }
  }

  // Without --client a 372-byte file shows as the short logger file it may be.
  const ProcessResult show = Tool({"show", shortLogger});
  EXPECT_EQ(show.exitCode, 0);
  EXPECT_NE(show.out.find("D.portNumber = 0\n"), std::string::npos);
  EXPECT_NE(show.err.find("give --client"), std::string::npos) << show.err;
}

// The kernel's lock list names the process holding a file: the holder, not a
// waiter, matched by device and inode, by the inode alone only when that is
// unambiguous.
TEST(SettingsLock, HolderFromTheKernelsLockList) {
  const std::string locks =
      "1: FLOCK  ADVISORY  WRITE 4242 fe:00:10953185 0 EOF\n"
      "1: -> FLOCK  ADVISORY  WRITE 5151 fe:00:10953185 0 EOF\n"
      "2: POSIX  ADVISORY  WRITE 777 fe:00:555 0 EOF\n"
      "3: FLOCK  ADVISORY  WRITE 888 00:2a:99 0 EOF\n"
      "4: FLOCK  ADVISORY  WRITE 999 00:2b:1234 0 EOF\n"
      "5: FLOCK  ADVISORY  WRITE 1000 00:2c:1234 0 EOF\n";
  struct Case {
    unsigned major, minor;
    unsigned long long inode;
    int pid;
  };
  const Case cases[] = {
      {0xfe, 0x00, 10953185, 4242},  // the holder, not its waiter
      {0x00, 0x2a, 99, 888},
      {0xfe, 0x00, 99, 888},      // an overlay reports another device: the one inode
      {0xfe, 0x00, 555, 0},       // a POSIX lock is not this lock
      {0x00, 0x2b, 1234, 999},
      {0xfe, 0x00, 1234, 0},      // two of that inode elsewhere: not guessed
      {0xfe, 0x00, 1, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FlockHolderIn(locks, c.major, c.minor, c.inode), c.pid) << c.inode;
}

// While a running program holds the file, every change is refused with the
// holder's process and what to do, and the file stays as it was; once the
// lock is gone the change goes through.
TEST(SettingsTool, AFileHeldByARunningProgramIsNotChanged) {
  QTemporaryDir dir;
  const QString file = dir.filePath("tessar.SET");
  ASSERT_EQ(Tool({"init", file}).exitCode, 0);
  SettingsLock held;
  ASSERT_EQ(held.Acquire(file.toStdString()), SettingsLock::Result::Locked);
  SettingsLock second;
  EXPECT_EQ(second.Acquire(file.toStdString()), SettingsLock::Result::HeldElsewhere);
  EXPECT_EQ(second.HolderPid(), getpid());
  const auto before = ReadBytes(file.toStdString());
  const QStringList changes[] = {
      {"set", file, "A.alarmHigh[1]=77"},
      {"init", file, "--force"},
      {"get-configure", file, "A", "--port", "1"},
  };
  for (const QStringList& args : changes) {
    const ProcessResult r = Tool(args);
    EXPECT_EQ(r.exitCode, 3) << args.join(' ').toStdString();
    EXPECT_NE(r.err.find("(process " + std::to_string(getpid()) + ")"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("stop it first"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(file.toStdString()), before) << args.join(' ').toStdString();
  }
  held.Release();
  EXPECT_EQ(Tool({"set", file, "A.alarmHigh[1]=77"}).exitCode, 0);
  EXPECT_EQ(LoadImage(file.toStdString()).boards[0].alarmHigh[1], 77.0);
}

// init never replaces a file without --force: a configured board is not
// wiped by running a recipe twice.
TEST(SettingsTool, InitReplacesAFileOnlyWhenForced) {
  QTemporaryDir dir;
  const QString logger = dir.filePath("tessar.SET");
  const QString client = dir.filePath("tessview.SET");
  ASSERT_EQ(Tool({"init", logger}).exitCode, 0);
  ASSERT_EQ(Tool({"init", client, "--client"}).exitCode, 0);
  ASSERT_EQ(Tool({"set", logger, "A.portNumber=5"}).exitCode, 0);
  ASSERT_EQ(Tool({"set", client, "--client", "serverCount=0"}).exitCode, 0);
  struct Case {
    QStringList args;
    int exitCode;
  };
  const Case cases[] = {
      {{"init", logger}, 2},
      {{"init", logger, "--client"}, 2},
      {{"init", client, "--client"}, 2},
      {{"init", logger, "--force"}, 0},
      {{"init", client, "--client", "--force"}, 0},
  };
  for (const Case& c : cases) {
    const std::string path = c.args[1].toStdString();
    const auto before = ReadBytes(path);
    const ProcessResult r = Tool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
    if (c.exitCode != 0) {
      EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
      EXPECT_EQ(ReadBytes(path), before) << c.args.join(' ').toStdString();
    }
  }
  EXPECT_EQ(LoadImage(logger.toStdString()).boards[0].portNumber, 0);
  ClientSettings s;
  ASSERT_TRUE(LoadClientSettings(client.toStdString(), s));
  EXPECT_EQ(s.serverCount, 1);
}

// What a user is told: the init command that makes the missing file of the
// kind at hand, every field with its values and meaning in the help, and
// every tool's version.
TEST(SettingsTool, HelpHintsAndVersions) {
  QTemporaryDir dir;
  struct Hint {
    QStringList args;
    std::string init;
  };
  const Hint hints[] = {
      {{"set", dir.filePath("tessview.SET"), "--client", "serverCount=1"}, "init --client "},
      {{"set", dir.filePath("tessview.SET"), "A.portNumber=1"}, "init --client "},
      {{"set", dir.filePath("tessar.SET"), "A.portNumber=1"}, "init " + dir.filePath("tessar.SET").toStdString()},
  };
  for (const Hint& h : hints) {
    const ProcessResult r = Tool(h.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("tessar-settings " + h.init), std::string::npos) << r.err;
  }

  const ProcessResult help = Tool({"--help"});
  ASSERT_EQ(help.exitCode, 0);
  const std::size_t clientPart = help.out.find("Fields of a client record");
  ASSERT_NE(clientPart, std::string::npos);
  for (const auto& fields : {BoardSettingsFields(), ClientSettingsFields()}) {
    const bool client = fields.data() == ClientSettingsFields().data();
    for (const FieldInfo& f : fields) {
      const std::string head = std::string("\n  ") + f.name + (f.count > 1 ? "[0.." : " ");
      const std::size_t at = help.out.find(head, client ? clientPart : 0);
      if (!client) {
        EXPECT_LT(at, clientPart) << f.name;
      }
      ASSERT_NE(at, std::string::npos) << f.name;
      // up to the next field's line; its meaning is indented further
      std::size_t end = at + 1;
      while ((end = help.out.find("\n  ", end)) != std::string::npos && help.out[end + 3] == ' ') ++end;
      const std::string entry = help.out.substr(at, end - at);
      EXPECT_NE(entry.find(FieldValuesText(f)), std::string::npos) << entry;
      EXPECT_GT(entry.size(), head.size() + FieldValuesText(f).size() + 30) << "no meaning: " << entry;
    }
  }
  EXPECT_NE(help.out.find("0 mV, 1 K, 2 R, 3 J, 4 S, 5 T, 6 A"), std::string::npos);
  EXPECT_NE(help.out.find("Exit status:"), std::string::npos);

  for (const char* tool : {"tessar-settings", "tessar-records", "orva-sim"}) {
    const ProcessResult v = RunProcess(BinPath(tool), {"--version"});
    EXPECT_EQ(v.exitCode, 0) << tool;
    EXPECT_EQ(v.out.rfind(std::string(tool) + " 2.", 0), 0u) << tool << ": " << v.out << v.err;
  }
}

// Names are refused beyond what the window and the viewer show (10
// characters, also where the bytes would fit), and the demo's names fit.
TEST(SettingsTool, ChannelNamesFitTheWindow) {
  std::vector<unsigned char> file(kSettingsImageSize);
  struct Case {
    std::string assignment;
    bool accepted;
  };
  const Case cases[] = {
      {"A.channelName[1]=0123456789", true},
      {"A.channelName[8]=노즐 온도 센서 1", true},  // 10 characters, 16 bytes
      {"A.channelName[1]=01234567890", false},
      {"D.channelName[0]=노즐 온도 센서 1번", false},  // 11 characters, 18 bytes
      {"A.jobTitle=a job title longer than ten characters", true},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::string assignments[] = {c.assignment};
    EXPECT_EQ(ApplyAssignments(assignments, false, file, error), c.accepted) << c.assignment;
    if (!c.accepted) {
      EXPECT_NE(error.find("at most 10"), std::string::npos) << error;
    }
  }

  const QString demo = QString::fromStdString(FileText(SourcePath("scripts/demo")));
  const QRegularExpression name(R"re("([A-D]\.channelName\[\d\]=[^"$]*)")re");
  int names = 0;
  for (const auto& match : name.globalMatch(demo)) {
    std::string error;
    const std::string assignments[] = {match.captured(1).toStdString()};
    EXPECT_TRUE(ApplyAssignments(assignments, false, file, error)) << error;
    ++names;
  }
  EXPECT_GE(names, 20);
}

namespace {

// A private program folder with a logger settings file and an orva-sim
// whose ports lie beside it.
struct DeviceFolder {
  QTemporaryDir dir;
  QString file = dir.filePath("tessar.SET");
  std::unique_ptr<e2e::ChildProcess> sim;

  explicit DeviceFolder(const QStringList& devices) {
    EXPECT_EQ(Tool({"init", file}).exitCode, 0);
    QStringList args{"--dir", dir.filePath("ports")};
    sim = std::make_unique<e2e::ChildProcess>(BinPath("orva-sim"), args + devices,
                                              QProcessEnvironment::systemEnvironment(), dir.path());
    EXPECT_TRUE(sim->WaitForLine("ready", Scaled(10000))) << sim->Errors();
  }
};

}  // namespace

// get-configure stores what the window's "Get Configure" and then OK store:
// the device's model, serial number, types, ranges and calibration, the
// page's numbers with their five decimals, the port it was read on.
TEST(SettingsTool, GetConfigureStoresTheDevicesConfiguration) {
  DeviceFolder folder({"--device", "COM1", "--model", "ORVA-2000", "--serial", "K0-2000", "--ranges",
                       "1,0,1,2,3,4,7", "--letters", "KKJJTTK", "--a1", "1.001", "--a0", "-0.002",
                       "--ref", "2.4", "--t1", "1.1,1.2,1.3,1.4,1.5,1.123456789", "--t0",
                       "0.1,0.2,0.3,0.4,0.5,0.6", "--device", "COM7", "--model", "ORVA-2280",
                       "--letters", "KKKKKKKK", "--ref", "1.5"});
  ASSERT_EQ(Tool({"set", folder.file, "A.portNumber=1", "A.englishUi=1", "A.channelMax[2]=55",
                  "B.channelName[1]=kept", "B.channelSensorType[1]=3"}).exitCode, 0);

  const ProcessResult a = Tool({"get-configure", folder.file, "A"});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  EXPECT_EQ(a.out, "OK: board A on COM1: ORVA-2000, serial number K0-2000\n");
  const ProcessResult b = Tool({"get-configure", folder.file, "B", "--port", "7"});
  ASSERT_EQ(b.exitCode, 0) << b.err;

  const SettingsImage image = LoadImage(folder.file.toStdString());
  const BoardSettings& r = image.boards[0];
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2000");
  EXPECT_EQ(FieldBytes(r.serialNumber), "K0-2000");
  EXPECT_EQ(r.boardSensorType, 7);
  const int types[] = {1, 1, 3, 3, 5, 5, 1};
  const double ranges[] = {1250, 2500, 1250, 625, 312.5, 156.25, 19.5313};
  for (int s = 0; s <= 6; ++s) {
    EXPECT_EQ(r.channelSensorType[s], types[s]) << s;
    EXPECT_EQ(r.channelRangeMv[s], ranges[s]) << s;
  }
  EXPECT_DOUBLE_EQ(r.voltA1, 1.001);
  EXPECT_DOUBLE_EQ(r.refVoltage, 2.4);
  EXPECT_DOUBLE_EQ(r.channelT1[6], 1.12346);  // as the page shows it
  EXPECT_DOUBLE_EQ(r.channelT0[3], 0.3);
  EXPECT_EQ(r.channelMax[2], 10000.0);
  EXPECT_EQ(r.englishUi, 1);

  const BoardSettings& rb = image.boards[1];
  EXPECT_EQ(rb.portNumber, 7);
  EXPECT_EQ(FieldBytes(rb.modelName), "ORVA-2280");
  EXPECT_EQ(rb.boardSensorType, 1);
  for (int s = 0; s <= 8; ++s) EXPECT_EQ(rb.channelSensorType[s], 1) << s;
  EXPECT_DOUBLE_EQ(rb.refVoltage, 1.5);
  EXPECT_EQ(FieldBytes(rb.channelName[1]), "kept");
  EXPECT_EQ(image.boards[2].portNumber, 0);
}

// A dialogue that fails says so with the window's own text, in the language
// of the settings, and changes nothing.
TEST(SettingsTool, GetConfigureFailuresChangeNothing) {
  DeviceFolder folder({"--device", "COM1", "--fault", "type-s", "--device", "COM2", "--fault", "no-dc"});
  const QString client = folder.dir.filePath("tessview.SET");
  ASSERT_EQ(Tool({"init", client, "--client"}).exitCode, 0);
  ASSERT_EQ(Tool({"set", folder.file, "A.englishUi=1", "A.portNumber=1"}).exitCode, 0);
  struct Case {
    QStringList args;
    int exitCode;
    std::string says;
  };
  const Case cases[] = {
      {{"get-configure", folder.file, "A"}, 1, "board A on COM1: Check your ORVA model"},
      {{"get-configure", folder.file, "A", "--port", "2"}, 1, "board A on COM2: Failed!!! Check COM Port"},
      {{"get-configure", folder.file, "A", "--port", "3"}, 1, "board A on COM3: Can not openCOM3"},
      {{"get-configure", folder.file, "B"}, 1, "board B: Select your communication port."},
      {{"get-configure", folder.file, "E"}, 2, "A..D"},
      {{"get-configure", folder.file, "A", "--port", "x"}, 2, "--port"},
      {{"get-configure", client, "A"}, 2, "give --client"},
  };
  for (const Case& c : cases) {
    const std::string path = c.args[1].toStdString();
    const auto before = ReadBytes(path);
    const ProcessResult r = Tool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(path), before) << c.args.join(' ').toStdString();
  }
  ASSERT_EQ(Tool({"set", folder.file, "A.englishUi=0"}).exitCode, 0);
  const ProcessResult korean = Tool({"get-configure", folder.file, "B"});
  EXPECT_NE(korean.err.find("COM 포트를 선택하세요."), std::string::npos) << korean.err;
}
