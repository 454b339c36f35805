// Every per-board control carries its board (0..3) as its tag, every
// per-channel control 10 x board + channel; one handler serves a whole family
// and decodes the tag of the control that raised it.
#pragma once

#include <QObject>
#include <QVariant>

namespace tessar {

inline void SetTag(QObject* control, int tag) { control->setProperty("Tag", tag); }
inline int TagOf(const QObject* control) {
  return control != nullptr ? control->property("Tag").toInt() : 0;
}
inline int BoardOfTag(int tag) { return tag / 10; }
inline int ChannelOfTag(int tag) { return tag % 10; }

// Names of the per-board families: board letter 'A' + b, board number b + 1.
inline QChar BoardLetter(int board) { return QChar('A' + board); }

}  // namespace tessar
