// The tessar-settings command-line tool, run as a real process.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <filesystem>

#include "device/port_names.h"
#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "test_support.h"

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
