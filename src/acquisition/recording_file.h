// Recording files: one binary ".ORV" file per board and clock hour, in a
// folder per day and board under the data directory. A 544-byte header is
// followed by 80-byte records; the file is opened and closed for every write,
// so it is complete on disk after each record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "settings/board_settings.h"

namespace tessar {

constexpr std::size_t kRecordingHeaderSize = 544;
constexpr std::size_t kRecordingRecordSize = 80;
inline constexpr char kRecordingVersion[] = "2.0.2";
constexpr std::size_t kSerialNumberFieldSize = 12;  // at most 11 characters and a NUL

struct RecordingHeader {
  char version[6];                                 // "2.0.2" and its NUL
  char reserved[5];                                // zero
  char jobTitle[kLongTextSize];
  char chartTitle[kLongTextSize];
  char noteText[kLongTextSize];
  char yAxisTitle[kLongTextSize];
  char channelName[kSlotCount][kShortTextSize];
  char serialNumber[kSerialNumberFieldSize];
  double startTime;                                // start of the run, in every file of the run
};
static_assert(sizeof(RecordingHeader) == kRecordingHeaderSize);
static_assert(std::is_trivially_copyable_v<RecordingHeader>);
static_assert(offsetof(RecordingHeader, version) == 0);
static_assert(offsetof(RecordingHeader, reserved) == 6);
static_assert(offsetof(RecordingHeader, jobTitle) == 11);
static_assert(offsetof(RecordingHeader, chartTitle) == 92);
static_assert(offsetof(RecordingHeader, noteText) == 173);
static_assert(offsetof(RecordingHeader, yAxisTitle) == 254);
static_assert(offsetof(RecordingHeader, channelName) == 335);
static_assert(offsetof(RecordingHeader, serialNumber) == 524);
static_assert(offsetof(RecordingHeader, startTime) == 536);

struct RecordingRecord {
  double time;               // date-time of the record
  double values[kSlotCount]; // slot 0 the cold junction (or channel 0), slots 1..8 the channels
};
static_assert(sizeof(RecordingRecord) == kRecordingRecordSize);
static_assert(offsetof(RecordingRecord, values) == 8);

// The header of a board's files: zero-filled, then the board's texts (each
// cut to its field) and the run's start time.
RecordingHeader BuildRecordingHeader(const BoardSettings& settings, double startTime);

// "<dataDirectory>/<yyyymmdd>/<L>" for board `board` (L = 'A' + board) on the
// day of `now`.
std::filesystem::path RecordingDirectory(const std::filesystem::path& dataDirectory, int board,
                                         double now);

// A new recording file for board `board` at `now`: creates the directory with
// its parents (a failure is left to the first write) and returns
// "<directory>/<hhmmss>.ORV". A file of that name that exists already (of
// another run, or of this one before the clock went back) is never taken:
// the name of the next second that is free is, so that no earlier file is
// reopened (empty when a whole day of names is taken). `hour` receives the
// hour of `now`.
std::filesystem::path NewRecordingFileName(const std::filesystem::path& dataDirectory, int board,
                                           double now, std::int16_t& hour);

// Writes the header at offset 0: an existing file keeps its records, a
// missing one is created. A file that cannot take its whole header is left
// empty, or removed when this write created it, so that no file ever starts
// with part of a header. False when the file could not be written; nobody is
// told, the next write tries again. `error` (may be null) receives the reason.
bool WriteRecordingHeader(const std::filesystem::path& path, const RecordingHeader& header,
                          std::error_code* error = nullptr);

// Appends one record, whole or not at all: a short write (a full disk, a
// file-size limit) is cut back to the last whole record. Before it, a file
// that ends in part of a record is cut back to its whole records, and one
// without a whole header (or missing) gets `header` first. False when the
// record could not be written; `error` (may be null) receives the reason.
bool AppendRecordingRecord(const std::filesystem::path& path, const RecordingHeader& header,
                           const RecordingRecord& record, std::error_code* error = nullptr);

}  // namespace tessar
