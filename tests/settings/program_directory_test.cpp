// The program's folder: beside a writable executable, else the per-user
// folder; the probe that decides "writable", and where the alarm sound is found.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "settings/platform_paths.h"

namespace tessar {
namespace {

TEST(ProgramDirectory, WritableFolderStaysElseThePerUserFolderOfTheConfigHome) {
  struct Case {
    const char* exeDir;
    bool writable;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/opt/lab", true, "/cfg", "/home/ann", "/opt/lab"},  // portable: unchanged
      {"/usr/bin", false, "/cfg", "/home/ann", "/cfg/tessar"},
      {"/usr/bin", false, "/cfg//", "/home/ann", "/cfg/tessar"},
      {"/usr/bin", false, "", "/home/ann", "/home/ann/.config/tessar"},
      {"/usr/bin", false, "", "/home/ann/", "/home/ann/.config/tessar"},
      {"/usr/bin", false, "relative/cfg", "/home/ann", "/home/ann/.config/tessar"},  // ignored
      {"/usr/bin", false, "/", "/home/ann", "/tessar"},
      {"/usr/bin", false, "", "", "/usr/bin"},  // nowhere better
      {"/usr/bin", false, "cfg", "home", "/usr/bin"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseProgramDirectory(c.exeDir, c.writable, c.xdgConfigHome, c.home), c.expected)
        << c.exeDir << " " << c.writable << " '" << c.xdgConfigHome << "' '" << c.home << "'";
  }
}

// The probe creates a file and leaves nothing behind; /proc refuses even root.
TEST(ProgramDirectory, WritableMeansAFileCanBeCreatedThere) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_TRUE(CanCreateFilesIn(dir.path()));
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
  EXPECT_FALSE(CanCreateFilesIn("/proc"));
  EXPECT_FALSE(CanCreateFilesIn(dir.path() + "/missing"));
  EXPECT_FALSE(CanCreateFilesIn(""));
  // a writable folder is its own program folder and the settings file is named after the program
  EXPECT_EQ(ProgramDirectory(dir.path()), dir.path());
  EXPECT_EQ(SettingsPathIn(dir.path(), "/usr/bin/tessar"), dir.path() + "/tessar.SET");
  EXPECT_EQ(SettingsPathIn(dir.path(), "/opt/v1.2/lab.exe"), dir.path() + "/lab.SET");
}

TEST(ProgramDirectory, AlarmSoundOfTheProgramFolderFirstThenTheInstalledOne) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString bin = root.path() + "/bin";
  const QString own = root.path() + "/own";
  const QString installed = root.path() + "/share/tessar/alarm.wav";
  ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(own) && QDir().mkpath(root.path() + "/share/tessar"));
  auto touch = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
  };
  EXPECT_EQ(AlarmSoundPathFor(own, bin), own + "/alarm.wav");  // neither: plays nothing
  ASSERT_TRUE(touch(installed));
  EXPECT_EQ(AlarmSoundPathFor(own, bin), installed);
  ASSERT_TRUE(touch(own + "/alarm.wav"));
  EXPECT_EQ(AlarmSoundPathFor(own, bin), own + "/alarm.wav");
}

}  // namespace
}  // namespace tessar
