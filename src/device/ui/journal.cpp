#include "device/ui/journal.h"

#include <QCoreApplication>
#include <cstdio>

namespace tessar {

void WriteJournalLine(const QString& text) {
  const QByteArray line =
      (QCoreApplication::applicationName().toLower() + QStringLiteral(": ") + text + '\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
}

void JournalAlongsideStatus(const QString& text) {
  if (!StatusBarJournaled) WriteJournalLine(text);
}

}  // namespace tessar
