// The settings file follows the running program's name: a copy of the logger
// renamed lab2 reads lab2.SET beside itself and leaves tessar.SET alone.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "../e2e/e2e_harness.h"
#include "settings/board_settings.h"

namespace tessar {
namespace {

bool WaitForDirectory(const QString& path, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!QDir(path).exists()) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(50);
  }
  return true;
}

TEST(SettingsPath, ARenamedLoggerReadsTheSettingsFileOfItsOwnName) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.path() + "/lab2";
  ASSERT_TRUE(QFile::copy(QStringLiteral(TESSAR_BIN_DIR "/tessar"), program));
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
  EXPECT_TRUE(WaitForDirectory(dir.path() + "/lab2-data", 30000)) << lab2.Errors();
  EXPECT_TRUE(lab2.Running());
  EXPECT_FALSE(QDir(dir.path() + "/tessar-data").exists());
  EXPECT_FALSE(QDir(dir.path() + "/Tessar").exists()) << "started as a first run";
  QFile other(dir.path() + "/tessar.SET");
  ASSERT_TRUE(other.open(QIODevice::ReadOnly));
  EXPECT_EQ(other.readAll(), before);
}

}  // namespace
}  // namespace tessar
