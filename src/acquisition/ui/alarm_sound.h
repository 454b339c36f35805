// The alarm sound, one for all boards: "alarm.wav" in the program's folder
// when it is there, otherwise a 1500 Hz tone of 800 ms generated in memory.
// A sound still playing is neither restarted nor overlaid; a machine without
// an audio output stays silent and reports nothing.
#pragma once

#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <QSoundEffect>
#include <QString>
#include <memory>

namespace tessar {

class AlarmSound : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToneHz = 1500;
  static constexpr int kToneMs = 800;

  explicit AlarmSound(const QString& soundFile, QObject* parent = nullptr);
  ~AlarmSound() override;

  // Plays the sound unless one is still playing. Returns what was started.
  enum class Started { Nothing, File, Tone };
  Started Play();
  bool Playing() const;

  // 16-bit signed mono samples of the tone at `sampleRate`.
  static QByteArray ToneSamples(int sampleRate);

 private:
  bool HasOutput() const;
  void StartTone();

  QString soundFile_;
  std::unique_ptr<QSoundEffect> effect_;
  std::unique_ptr<QAudioSink> sink_;
  QByteArray tone_;
  QBuffer toneBuffer_;
};

}  // namespace tessar
