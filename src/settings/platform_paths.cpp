#include "settings/platform_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "i18n/text_codec.h"

namespace tessar {

namespace {

constexpr std::size_t kDirectoryFieldLength = 80;

QString ExecutableDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return QFile::decodeName(exe.parent_path().string().c_str());
}

// `folderName` in `parent` when the whole path can be stored as it is and the
// parent is a directory we may write into.
bool StorableFolderIn(const QString& parent, const char* folderName, std::string& path) {
  if (parent.isEmpty()) return false;
  const QFileInfo info(parent);
  if (!info.isDir() || !info.isWritable()) return false;
  bool exact = false;
  const QByteArray bytes = ToCp949(QDir(parent).filePath(QLatin1String(folderName)), &exact);
  if (!exact || static_cast<std::size_t>(bytes.size()) > kDirectoryFieldLength) return false;
  path = bytes.toStdString();
  return true;
}

}  // namespace

std::string DefaultDataDirectory(const char* folderName) {
  const QString home = QDir::homePath() + QLatin1Char('/') + QLatin1String(folderName);
  bool exact = false;
  const QByteArray bytes = ToCp949(home, &exact);
  if (exact) {
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return std::string(view.substr(0, Cp949PrefixLength(view, kDirectoryFieldLength)));
  }
  std::string path;
  if (StorableFolderIn(ExecutableDirectory(), folderName, path)) return path;
  return std::string("/tmp/") + folderName;
}

}  // namespace tessar
