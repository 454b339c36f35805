// The program's folder: beside a portable executable, else the per-user
// folder; instance subfolders; the probe that decides "writable", and where
// the alarm sound is found.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "settings/platform_paths.h"

namespace tessar {
namespace {

// An installed program never keeps files beside itself, even where it could
// write (root and /usr/bin); a portable one does.
TEST(ProgramDirectory, APortableFolderStaysElseThePerUserFolderOfTheConfigHome) {
  struct Case {
    const char* exeDir;
    bool writable;
    bool installed;  // ../share/tessar/ exists
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/opt/lab", true, false, "/cfg", "/home/ann", "/opt/lab"},  // portable: unchanged
      {"/usr/bin", true, true, "/cfg", "/root", "/cfg/tessar"},    // root and an installed program
      {"/usr/bin", true, true, "", "/root", "/root/.config/tessar"},
      {"/usr/bin", false, true, "", "/home/ann", "/home/ann/.config/tessar"},
      {"/usr/bin", false, false, "/cfg", "/home/ann", "/cfg/tessar"},
      {"/usr/bin", false, false, "/cfg//", "/home/ann", "/cfg/tessar"},
      {"/usr/bin", false, false, "", "/home/ann", "/home/ann/.config/tessar"},
      {"/usr/bin", false, false, "", "/home/ann/", "/home/ann/.config/tessar"},
      {"/usr/bin", false, false, "relative/cfg", "/home/ann", "/home/ann/.config/tessar"},  // ignored
      {"/usr/bin", false, false, "/", "/home/ann", "/tessar"},
      {"/usr/bin", false, false, "", "", "/usr/bin"},  // nowhere better
      {"/usr/bin", true, true, "", "", "/usr/bin"},
      {"/usr/bin", false, false, "cfg", "home", "/usr/bin"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseProgramDirectory(c.exeDir, c.writable, c.installed, c.xdgConfigHome, c.home),
              c.expected)
        << c.exeDir << " writable " << c.writable << " installed " << c.installed << " '"
        << c.xdgConfigHome << "' '" << c.home << "'";
  }
}

// The layouts as the file system has them: a copied folder is portable, a
// prefix with share/tessar is installed; an instance is a subfolder, made on
// first use, of the folder the program would use without one.
TEST(ProgramDirectory, InstalledLayoutAndInstanceFoldersOnDisk) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString portable = root.path() + "/portable";
  const QString prefix = root.path() + "/prefix";
  ASSERT_TRUE(QDir().mkpath(portable) && QDir().mkpath(prefix + "/bin") &&
              QDir().mkpath(prefix + "/share/tessar"));
  const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", (root.path() + "/config").toLocal8Bit());
  struct Case {
    QString exeDir;
    bool installed;
    const char* instance;
    QString expected;
  };
  const Case cases[] = {
      {portable, false, "", portable},
      {portable, false, "oven1", portable + "/oven1"},
      {prefix + "/bin", true, "", root.path() + "/config/tessar"},
      {prefix + "/bin", true, "oven1", root.path() + "/config/tessar/oven1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.exeDir + " " + c.instance).toStdString());
    EXPECT_EQ(IsInstalledLayout(c.exeDir), c.installed);
    EXPECT_EQ(ProgramDirectory(c.exeDir, QString::fromLatin1(c.instance)), c.expected);
    EXPECT_TRUE(QDir(c.expected).exists());
  }
  EXPECT_TRUE(QDir(prefix + "/bin").isEmpty()) << "nothing beside an installed program";
  if (savedConfig.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", savedConfig);
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

// An instance's own sound, then that of the folder it lies in, then the installed one.
TEST(ProgramDirectory, AlarmSoundOfTheProgramFolderFirstThenTheSharedOneThenTheInstalledOne) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString bin = root.path() + "/bin";
  const QString shared = root.path() + "/own";
  const QString own = shared + "/oven1";
  const QString installed = root.path() + "/share/tessar/alarm.wav";
  ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(own) && QDir().mkpath(root.path() + "/share/tessar"));
  auto touch = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
  };
  EXPECT_EQ(AlarmSoundPathFor(own, shared, bin), own + "/alarm.wav");  // none: plays nothing
  ASSERT_TRUE(touch(installed));
  EXPECT_EQ(AlarmSoundPathFor(own, shared, bin), installed);
  EXPECT_EQ(AlarmSoundPathFor(own, {}, bin), installed);
  ASSERT_TRUE(touch(shared + "/alarm.wav"));
  EXPECT_EQ(AlarmSoundPathFor(own, shared, bin), shared + "/alarm.wav");
  EXPECT_EQ(AlarmSoundPathFor(own, {}, bin), installed);
  ASSERT_TRUE(touch(own + "/alarm.wav"));
  EXPECT_EQ(AlarmSoundPathFor(own, shared, bin), own + "/alarm.wav");
}

}  // namespace
}  // namespace tessar
