#include "acquisition/ui/alarm_sound.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace tessar {
namespace {

// Without a sound server (as here and on CI) an alarm plays nothing, and
// the audio layer says nothing either.
TEST(AlarmSound, SilentWithoutAnAudioOutput) {
  static QStringList warnings;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
  const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
  QTemporaryDir empty;
  qputenv("XDG_RUNTIME_DIR", empty.path().toLocal8Bit());
  qunsetenv("PULSE_SERVER");
  {
    AlarmSound sound(empty.path() + "/alarm.wav");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sound.Play(), AlarmSound::Started::Nothing);
  }
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
  qInstallMessageHandler(previous);
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

}  // namespace
}  // namespace tessar
