// Helpers shared by the test suites: built programs, temporary folders, files,
// child processes.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/recording_file.h"

namespace tessar::test {

// Path of a program built by this tree (tessar, tessview, orva-sim, ...).
std::string BinPath(const std::string& name);
std::string SourcePath(const std::string& relative);

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
void WriteBytes(const std::string& path, const void* data, std::size_t size);
bool FileExists(const std::string& path);
// A whole file as a byte string, and a little-endian double inside one.
std::string FileText(const std::filesystem::path& path);
double LeDoubleAt(const std::string& bytes, std::size_t offset);
// Every whole record of board `letter` under a data directory
// (<day>/<letter>/*.ORV), in time order.
std::vector<RecordingRecord> BoardRecords(const std::string& dataDirectory, char letter);

// Writes `bytes` to the device at `path` (a serial port or a simulator's
// pseudo-terminal), as its other end would; false when it cannot be opened,
// for instance while a program holds it. A command written behind what a
// program sent shows, once orva-sim logs it, that everything before it was
// read.
bool WriteToDevice(const std::string& path, const std::string& bytes);

struct ProcessResult {
  int exitCode = -1;
  bool finished = false;
  std::string out;
  std::string err;
};

// Runs a program to its end (killed after `timeoutMs`).
ProcessResult RunProcess(const std::string& program, const QStringList& arguments,
                         int timeoutMs = 30000);

// `cmake --install` of this build tree into `prefix`.
ProcessResult InstallBuildTree(const std::string& prefix);

}  // namespace tessar::test
