#include "acquisition/recording_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

// A file descriptor closed on scope exit.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now: false when the close reports an error (a delayed write failure).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

// Writes all of `size` bytes at `offset`; false with errno set on a short
// write, whatever part of them reached the file.
bool WriteAllAt(int fd, const void* data, std::size_t size, off_t offset) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, bytes, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

// Cuts the file back to `size` bytes, keeping errno of the failure that made it necessary.
void CutBack(int fd, off_t size) {
  const int saved = errno;
  while (::ftruncate(fd, size) != 0 && errno == EINTR) {
  }
  errno = saved;
}

// Opens `path` for writing, creating it when missing; `created` tells which.
int OpenForWriting(const std::filesystem::path& path, bool& created) {
  created = false;
  for (;;) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (made >= 0 || errno != EEXIST) {
      created = made >= 0;
      return made;
    }
    // made by someone else in between: open that one
  }
}

bool Fail(std::error_code* error) {
  if (error) *error = LastError();
  return false;
}

// Makes the file at `fd`, `size` bytes long, end with a whole record: a file
// without a whole header is emptied and gets `header`; a part record at the
// end is cut off. Returns the length after the repair, or -1 (errno set).
off_t Repaired(int fd, off_t size, const RecordingHeader& header) {
  constexpr off_t kHeader = static_cast<off_t>(kRecordingHeaderSize);
  constexpr off_t kRecord = static_cast<off_t>(kRecordingRecordSize);
  if (size < kHeader) {
    if (size > 0 && ::ftruncate(fd, 0) != 0) return -1;
    if (!WriteAllAt(fd, &header, sizeof header, 0)) {
      CutBack(fd, 0);
      return -1;
    }
    return kHeader;
  }
  const off_t whole = kHeader + (size - kHeader) / kRecord * kRecord;
  if (whole != size && ::ftruncate(fd, whole) != 0) return -1;
  return whole;
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
  const CalendarTime t = DecodeDateTime(now);
  hour = static_cast<std::int16_t>(t.hour);
  const double dayStart = EncodeDateTime({t.year, t.month, t.day, 0, 0, 0, 0});
  const int second = t.hour * 3600 + t.minute * 60 + t.second;
  std::filesystem::path path;
  for (int later = 0; later < 86400; ++later) {
    const double when = dayStart + (second + later) / kSecondsPerDay;
    const CalendarTime c = DecodeDateTime(when);
    const std::filesystem::path directory = RecordingDirectory(dataDirectory, board, when);
    if (later == 0 || directory != path.parent_path()) {
      std::error_code ignored;
      std::filesystem::create_directories(directory, ignored);
    }
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%02d.ORV", c.hour, c.minute, c.second);
    path = directory / name;
    std::error_code missing;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, missing))) return path;
  }
  return {};  // a day of names taken: nothing is written rather than an earlier file
}

bool WriteRecordingHeader(const std::filesystem::path& path, const RecordingHeader& header,
                          std::error_code* error) {
  bool created = false;
  Descriptor fd(OpenForWriting(path, created));
  if (!fd) return Fail(error);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Fail(error);
  bool written;
  if (st.st_size < static_cast<off_t>(kRecordingHeaderSize)) {
    written = Repaired(fd.get(), st.st_size, header) >= 0;
  } else {
    // The header of a file with records: rewritten in place, its length unchanged.
    written = WriteAllAt(fd.get(), &header, sizeof header, 0);
  }
  if (written && fd.Close()) return true;
  const std::error_code reason = LastError();
  if (created) ::unlink(path.c_str());  // nothing of it is worth keeping
  if (error) *error = reason;
  return false;
}

bool AppendRecordingRecord(const std::filesystem::path& path, const RecordingHeader& header,
                           const RecordingRecord& record, std::error_code* error) {
  bool created = false;
  Descriptor fd(OpenForWriting(path, created));
  if (!fd) return Fail(error);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Fail(error);
  const off_t end = Repaired(fd.get(), st.st_size, header);
  if (end < 0) {
    const bool failed = Fail(error);
    if (created) ::unlink(path.c_str());
    return failed;
  }
  if (!WriteAllAt(fd.get(), &record, sizeof record, end)) {
    CutBack(fd.get(), end);
    return Fail(error);
  }
  if (!fd.Close()) {
    // The close reported a write that failed after all: the record may be
    // torn, so it goes; the next append finds a clean end.
    const std::error_code reason = LastError();
    Descriptor again(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (again) CutBack(again.get(), end);
    if (error) *error = reason;
    return false;
  }
  return true;
}

}  // namespace tessar
