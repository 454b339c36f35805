#include "settings/platform_paths.h"

#include <QDir>

#include "i18n/text_codec.h"

namespace tessar {

std::string DefaultDataDirectory(const char* folderName) {
  const QString path = QDir::homePath() + QLatin1Char('/') + QLatin1String(folderName);
  const QByteArray bytes = ToCp949(path);
  const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return std::string(view.substr(0, Cp949PrefixLength(view, 80)));
}

}  // namespace tessar
