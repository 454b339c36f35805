#include "test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <QProcess>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessar::test {

std::string BinPath(const std::string& name) { return std::string(TESSAR_BIN_DIR) + "/" + name; }

std::string SourcePath(const std::string& relative) {
  return std::string(TESSAR_SOURCE_DIR) + "/" + relative;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  WriteBytes(path, bytes.data(), bytes.size());
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string FileText(const std::filesystem::path& path) {
  const std::vector<unsigned char> bytes = ReadBytes(path.string());
  return std::string(bytes.begin(), bytes.end());
}

double LeDoubleAt(const std::string& bytes, std::size_t offset) {
  double v = 0.0;
  if (offset + sizeof v <= bytes.size()) std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

bool WriteToDevice(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  return written;
}

ProcessResult RunProcess(const std::string& program, const QStringList& arguments, int timeoutMs) {
  QProcess process;
  process.start(QString::fromStdString(program), arguments);
  ProcessResult result;
  if (!process.waitForStarted(timeoutMs)) {
    result.err = "could not start " + program;
    return result;
  }
  process.closeWriteChannel();
  result.finished = process.waitForFinished(timeoutMs);
  if (!result.finished) {
    process.kill();
    process.waitForFinished(1000);
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

ProcessResult InstallBuildTree(const std::string& prefix) {
  return RunProcess("cmake",
                    {"--install", QString::fromStdString(BinPath("..")), "--prefix",
                     QString::fromStdString(prefix)},
                    120000);
}

std::vector<RecordingRecord> BoardRecords(const std::string& dataDirectory, char letter) {
  namespace fs = std::filesystem;
  std::vector<fs::path> paths;
  std::error_code ec;
  for (const auto& day : fs::directory_iterator(dataDirectory, ec))
    for (const auto& entry : fs::directory_iterator(day.path() / std::string(1, letter), ec))
      if (entry.path().extension() == ".ORV") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());  // day and hour names: time order
  std::vector<RecordingRecord> records;
  for (const fs::path& path : paths) {
    const std::vector<unsigned char> bytes = ReadBytes(path.string());
    for (std::size_t at = kRecordingHeaderSize; at + kRecordingRecordSize <= bytes.size();
         at += kRecordingRecordSize) {
      RecordingRecord r;
      std::memcpy(&r, bytes.data() + at, kRecordingRecordSize);
      records.push_back(r);
    }
  }
  return records;
}

}  // namespace tessar::test
