#include "acquisition/ui/alarm_sound.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#if defined(Q_OS_LINUX)
#include <unistd.h>
#endif

namespace tessar {

AlarmSound::AlarmSound(const QString& soundFile, QObject* parent)
    : QObject(parent), soundFile_(soundFile) {}

AlarmSound::~AlarmSound() {
  if (sink_) sink_->stop();
}

QByteArray AlarmSound::ToneSamples(int sampleRate) {
  const int count = sampleRate * kToneMs / 1000;
  QByteArray bytes(count * static_cast<int>(sizeof(std::int16_t)), Qt::Uninitialized);
  auto* samples = reinterpret_cast<std::int16_t*>(bytes.data());
  // A short ramp at both ends keeps the speaker from clicking.
  const int ramp = sampleRate / 200;
  for (int i = 0; i < count; ++i) {
    const double envelope = std::min({1.0, static_cast<double>(i) / ramp,
                                      static_cast<double>(count - 1 - i) / ramp});
    const double s = std::sin(2.0 * std::numbers::pi * kToneHz * i / sampleRate);
    samples[i] = static_cast<std::int16_t>(std::lround(envelope * 0.5 * 32767.0 * s));
  }
  return bytes;
}

namespace {

// The sound server's socket, looked for before the audio layer is asked:
// asking it on a machine without one (a server, CI) prints a connection
// failure on every start.
bool SoundServerPresent() {
#if defined(Q_OS_LINUX)
  if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) return true;
  QStringList sockets{QStringLiteral("/run/user/%1/pulse/native").arg(getuid()),
                      QStringLiteral("/var/run/pulse/native")};
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) sockets.prepend(runtime + QStringLiteral("/pulse/native"));
  for (const QString& socket : sockets) {
    if (QFileInfo::exists(socket)) return true;
  }
  return false;
#else
  return true;
#endif
}

}  // namespace

bool AlarmSound::HasOutput() const {
  return SoundServerPresent() && !QMediaDevices::audioOutputs().isEmpty();
}

bool AlarmSound::Playing() const {
  return (effect_ && effect_->isPlaying()) ||
         (sink_ && sink_->state() == QAudio::ActiveState);
}

AlarmSound::Started AlarmSound::Play() {
  // Without an audio output there is nothing to play, and nothing to report.
  if (Playing() || !HasOutput()) return Started::Nothing;
  if (QFileInfo::exists(soundFile_)) {
    if (!effect_) {
      effect_ = std::make_unique<QSoundEffect>();
      effect_->setSource(QUrl::fromLocalFile(soundFile_));
    }
    effect_->play();
    return Started::File;
  }
  StartTone();
  return sink_ ? Started::Tone : Started::Nothing;
}

void AlarmSound::StartTone() {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  QAudioFormat format;
  format.setSampleRate(44100);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) {
    format.setSampleRate(device.preferredFormat().sampleRate());
    if (!device.isFormatSupported(format)) return;
  }
  if (!sink_ || sink_->format() != format) {
    sink_ = std::make_unique<QAudioSink>(device, format);
    tone_ = ToneSamples(format.sampleRate());
    toneBuffer_.close();
    toneBuffer_.setData(tone_);
  }
  sink_->stop();
  toneBuffer_.close();
  toneBuffer_.open(QIODevice::ReadOnly);
  sink_->start(&toneBuffer_);
}

}  // namespace tessar
