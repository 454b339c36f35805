// Every per-board control carries its board (0..3) as its tag, every
// per-channel control 10 x board + channel; one handler serves a whole family
// and decodes the tag of the control that raised it.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

namespace tessar {

inline void SetTag(QObject* control, int tag) { control->setProperty("Tag", tag); }
inline int TagOf(const QObject* control) {
  return control != nullptr ? control->property("Tag").toInt() : 0;
}
// A control named and tagged in one step, as the pages build their families.
template <typename W>
W* Named(W* widget, const QString& name, int tag) {
  widget->setObjectName(name);
  SetTag(widget, tag);
  return widget;
}

inline int BoardOfTag(int tag) { return tag / 10; }
inline int ChannelOfTag(int tag) { return tag % 10; }

// Names of the per-board families: board letter 'A' + b, board number b + 1.
inline QChar BoardLetter(int board) { return QChar('A' + board); }
// "EdInt" -> "EdInt1" for board 0.
inline QString BoardControlName(const char* prefix, int board) {
  return QString::fromLatin1(prefix) + QString::number(board + 1);
}
// "EdHigh", board 0, channel 3 -> "EdHighA3".
inline QString ChannelControlName(const char* prefix, int board, int channel) {
  return QString::fromLatin1(prefix) + BoardLetter(board) + QString::number(channel);
}

}  // namespace tessar
