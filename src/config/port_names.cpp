#include "config/port_names.h"

namespace tessar {

int PortNumberFromText(const QString& text) {
  if (!text.startsWith(QLatin1String("COM"))) return 0;
  // like "%d": optional sign, then digits as far as they go
  const QString rest = text.mid(3).trimmed();
  qsizetype end = 0;
  if (end < rest.size() && (rest[end] == '-' || rest[end] == '+')) ++end;
  const qsizetype digitsStart = end;
  while (end < rest.size() && rest[end].isDigit() && rest[end].unicode() < 128) ++end;
  if (end == digitsStart) return 0;
  bool ok = false;
  const int n = rest.left(end).toInt(&ok);
  return ok ? n : 0;
}

QString PortItemText(int portNumber) { return QStringLiteral("COM%1").arg(portNumber); }

}  // namespace tessar
