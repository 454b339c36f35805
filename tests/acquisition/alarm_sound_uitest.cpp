#include "acquisition/ui/alarm_sound.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>

namespace tessar {
namespace {

TEST(AlarmSound, ToneIs1500HzFor800Ms) {
  for (int rate : {44100, 48000}) {
    const QByteArray bytes = AlarmSound::ToneSamples(rate);
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const int count = static_cast<int>(bytes.size() / 2);
    EXPECT_EQ(count, rate * 8 / 10);
    int rising = 0;
    for (int i = 1; i < count; ++i) rising += s[i - 1] < 0 && s[i] >= 0;
    EXPECT_NEAR(rising, 1500 * 8 / 10, 2) << rate;
    // no click at either end
    EXPECT_EQ(s[0], 0);
    EXPECT_LT(std::abs(s[count - 1]), 500);
  }
}

// Without a sound server (as here and on CI) an alarm plays nothing and the
// audio layer says nothing either.
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
    EXPECT_FALSE(sound.Playing());
  }
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
  qInstallMessageHandler(previous);
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

}  // namespace
}  // namespace tessar
