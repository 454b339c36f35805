// The settings file follows the running program's name: a copy of the logger
// renamed lab2 reads lab2.SET beside itself and leaves tessar.SET alone.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "../e2e/e2e_harness.h"
#include "settings/board_settings.h"
#include "test_support.h"

namespace tessar {
namespace {

TEST(SettingsPath, ARenamedLoggerReadsTheSettingsFileOfItsOwnName) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.path() + "/lab2";
  ASSERT_TRUE(QFile::copy(QString::fromStdString(test::BinPath("tessar")), program));
  // each file names its own data directory, which the start sequence creates
  for (const char* name : {"lab2", "tessar"}) {
    SettingsImage image;
    FillDefaults(image, (dir.path() + "/" + name + "-data").toStdString());
    ASSERT_TRUE(WriteSettingsImage((dir.path() + "/" + name + ".SET").toStdString(), image));
  }
  const QByteArray before = [&] {
    QFile file(dir.path() + "/tessar.SET");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", dir.path());
  e2e::ChildProcess lab2(program.toStdString(), {}, env, dir.path());
  ASSERT_TRUE(lab2.Started());
  EXPECT_TRUE(e2e::WaitUntil([&] { return QDir(dir.path() + "/lab2-data").exists(); }, 30000)) << lab2.Errors();
  EXPECT_TRUE(lab2.Running());
  EXPECT_FALSE(QDir(dir.path() + "/tessar-data").exists());
  EXPECT_FALSE(QDir(dir.path() + "/Tessar").exists()) << "started as a first run";
  QFile other(dir.path() + "/tessar.SET");
  ASSERT_TRUE(other.open(QIODevice::ReadOnly));
  EXPECT_EQ(other.readAll(), before);
}

}  // namespace
}  // namespace tessar
