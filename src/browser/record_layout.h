// The layouts of recording files that the browser reads: the versioned one
// that the logger writes ("2.0.2", also "2.0.0") and two older unversioned
// ones of 7 and 9 channels. The layout of a load is recognised from the
// header of its first file.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tessar {

enum class RecordKind {
  Unknown = 0,
  Unversioned7 = 1,  // 7 channels, serial number "A2..." or "A3..."
  Unversioned9 = 2,  // 9 channels, serial number "A4..."
  Versioned = 3,     // "2.0.2" or "2.0.0"
};

struct RecordLayout {
  RecordKind kind;
  std::size_t headerSize;
  std::size_t titleOffset;   // four titles of 81 bytes each
  std::size_t nameOffset;    // channel names of 21 bytes each
  int nameCount;
  std::size_t serialOffset;  // serial number text, up to the start time
  std::size_t startOffset;   // start time (double)
  std::size_t recordSize;    // time and values (doubles)
  int valueCount;
};

inline constexpr std::size_t kRecordTitleSize = 81;
inline constexpr std::size_t kRecordNameSize = 21;
inline constexpr std::size_t kLargestRecordHeader = 544;

// The layout of a kind (Unknown has none: nullptr).
const RecordLayout* LayoutOf(RecordKind kind);

// What a header says, texts decoded from CP949.
struct RecordHeaderInfo {
  RecordKind kind = RecordKind::Unknown;
  QString version;                 // "2.0.2", "2.0.0", or empty for the older layouts
  std::array<QString, 4> titles;   // record title, chart title, third caption, y-axis title
  std::vector<QString> channelNames;  // as stored (not trimmed), one per name field
  QString serialNumber;
  double startTime = 0.0;
  int channelCount = 7;            // series charted: 7 or 9
};

// Recognises the layout of the first `bytes` of a file (as many as it has,
// up to 544). A header shorter than its layout's size is not a recording.
RecordKind RecogniseLayout(std::string_view bytes);

// The fields of a header of a known kind; `bytes` holds at least the
// layout's header size.
RecordHeaderInfo ReadHeaderInfo(std::string_view bytes, RecordKind kind);

}  // namespace tessar
