#include "acquisition/recording_file.h"

#include <cstdio>
#include <memory>
#include <cstring>
#include <system_error>

#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

// Closes a C stream on scope exit.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

FileHandle Open(const std::filesystem::path& path, const char* mode) {
  return FileHandle(std::fopen(path.c_str(), mode));
}

}  // namespace

RecordingHeader BuildRecordingHeader(const BoardSettings& s, double startTime) {
  RecordingHeader h;
  std::memset(&h, 0, sizeof h);
  std::memcpy(h.version, kRecordingVersion, sizeof kRecordingVersion);
  StoreFieldBytes(h.jobTitle, FieldBytes(s.jobTitle));
  StoreFieldBytes(h.chartTitle, FieldBytes(s.chartTitle));
  StoreFieldBytes(h.noteText, FieldBytes(s.noteText));
  StoreFieldBytes(h.yAxisTitle, FieldBytes(s.yAxisTitle));
  for (int i = 0; i < kSlotCount; ++i) {
    StoreFieldBytes(h.channelName[i], FieldBytes(s.channelName[i]));
  }
  StoreFieldBytes(h.serialNumber, FieldBytes(s.serialNumber));
  h.startTime = startTime;
  return h;
}

std::filesystem::path RecordingDirectory(const std::filesystem::path& dataDirectory, int board,
                                         double now) {
  const CalendarTime t = DecodeDateTime(now);
  char day[32];
  std::snprintf(day, sizeof day, "%d%02d%02d", t.year, t.month, t.day);
  const char letter[2] = {static_cast<char>('A' + board), '\0'};
  return dataDirectory / day / letter;
}

std::filesystem::path NewRecordingFileName(const std::filesystem::path& dataDirectory, int board,
                                           double now, std::int16_t& hour) {
  const std::filesystem::path directory = RecordingDirectory(dataDirectory, board, now);
  std::error_code ignored;
  std::filesystem::create_directories(directory, ignored);
  const CalendarTime t = DecodeDateTime(now);
  char name[32];
  std::snprintf(name, sizeof name, "%02d%02d%02d.ORV", t.hour, t.minute, t.second);
  hour = static_cast<std::int16_t>(t.hour);
  return directory / name;
}

bool WriteRecordingHeader(const std::filesystem::path& path, const RecordingHeader& header) {
  FileHandle f = Open(path, "r+b");  // keeps the records of an existing file
  if (!f) f = Open(path, "wb");
  if (!f) return false;
  if (std::fseek(f.get(), 0, SEEK_SET) != 0) return false;
  const bool written = std::fwrite(&header, sizeof header, 1, f.get()) == 1;
  return std::fclose(f.release()) == 0 && written;
}

bool AppendRecordingRecord(const std::filesystem::path& path, const RecordingRecord& record) {
  FileHandle f = Open(path, "ab");
  if (!f) return false;
  const bool written = std::fwrite(&record, sizeof record, 1, f.get()) == 1;
  return std::fclose(f.release()) == 0 && written;
}

}  // namespace tessar
