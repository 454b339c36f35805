#include "shell/ui/headless.h"

#include <QCoreApplication>
#include <cstdio>

namespace tessar {

void WriteErrorLine(const QString& text) {
  const QByteArray line =
      (QCoreApplication::applicationName().toLower() + QStringLiteral(": ") + text + '\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
}

void HeadlessDialogs::ShowMessage(const QString& text, const QString& /*caption*/) {
  WriteErrorLine(text);
}

bool HeadlessDialogs::Confirm(const QString& /*text*/, const QString& /*caption*/) { return true; }

bool HeadlessDialogs::InputQuery(const QString& /*caption*/, const QString& /*prompt*/,
                                 QString& /*value*/) {
  return false;
}

QString HeadlessDialogs::SaveFileName(const QString& /*caption*/, const QString& /*directory*/,
                                      const QString& /*filter*/, const QString& /*defaultSuffix*/) {
  return {};
}

}  // namespace tessar
