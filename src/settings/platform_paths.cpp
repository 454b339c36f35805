#include "settings/platform_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "i18n/text_codec.h"
#include "settings/board_settings.h"

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

namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// $HOME, else the home of the password database (systemd gives a system
// service without User= no $HOME).
std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return {};
}

}  // namespace

std::string ChooseProgramDirectory(const std::string& executableDirectory,
                                   bool executableDirectoryWritable, bool installedLayout,
                                   const std::string& xdgConfigHome, const std::string& home) {
  if (executableDirectoryWritable && !installedLayout) return executableDirectory;
  // a relative config home is to be ignored, as the XDG rules say
  std::string configHome;
  if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') {
    configHome = WithoutTrailingSlashes(xdgConfigHome);
  } else if (!home.empty() && home.front() == '/') {
    configHome = WithoutTrailingSlashes(home) + "/.config";
  } else {
    return executableDirectory;
  }
  return (configHome == "/" ? std::string() : configHome) + "/tessar";
}

bool CanCreateFilesIn(const QString& directory) {
  if (directory.isEmpty()) return false;
  std::string probe = QFile::encodeName(directory).toStdString() + "/.tessar-probe-XXXXXX";
  const int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool IsInstalledLayout(const QString& executableDirectory) {
  return !executableDirectory.isEmpty() &&
         QFileInfo(executableDirectory + QStringLiteral("/../share/tessar")).isDir();
}

QString ProgramDirectory(const QString& executableDirectory, const QString& instance) {
  const std::string chosen =
      ChooseProgramDirectory(QFile::encodeName(executableDirectory).toStdString(),
                             CanCreateFilesIn(executableDirectory),
                             IsInstalledLayout(executableDirectory),
                             Environment("XDG_CONFIG_HOME"), HomeDirectory());
  QString directory = QFile::decodeName(chosen.c_str());
  if (!instance.isEmpty()) directory += QLatin1Char('/') + instance;
  if (directory != executableDirectory) QDir().mkpath(directory);
  return directory;
}

QString SettingsPathIn(const QString& programDirectory, const QString& executablePath) {
  const std::string settings = SettingsPathFor(QFile::encodeName(executablePath).toStdString());
  return programDirectory + QLatin1Char('/') +
         QFileInfo(QFile::decodeName(settings.c_str())).fileName();
}

QString AlarmSoundPathFor(const QString& programDirectory, const QString& sharedDirectory,
                          const QString& executableDirectory) {
  const QString own = programDirectory + QStringLiteral("/alarm.wav");
  if (QFileInfo::exists(own)) return own;
  if (!sharedDirectory.isEmpty()) {
    const QString shared = sharedDirectory + QStringLiteral("/alarm.wav");
    if (QFileInfo::exists(shared)) return shared;
  }
  const QString installed =
      QDir::cleanPath(executableDirectory + QStringLiteral("/../share/tessar/alarm.wav"));
  return QFileInfo::exists(installed) ? installed : own;
}

}  // namespace tessar
