#include "settings/settings_file.h"

#include <QFile>
#include <QSaveFile>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tessar {

std::optional<std::vector<unsigned char>> ReadSettingsBytes(const std::string& path,
                                                            std::size_t limit) {
  // Checked before opening: opening a pipe would wait for a writer.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || ec) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<unsigned char> bytes(limit);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

bool WriteSettingsBytes(const std::string& path, const void* data, std::size_t size) {
  QSaveFile file(QFile::decodeName(path.c_str()));
  // Unbuffered: a failure of the write itself (a full disk) must reach us
  // here; one hidden in the flush at commit would still be renamed into place.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  const qint64 written = file.write(static_cast<const char*>(data), static_cast<qint64>(size));
  if (written != static_cast<qint64>(size) || file.error() != QFileDevice::NoError) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tessar
