#include "browser/record_layout.h"

#include <cstring>

#include "i18n/text_codec.h"

namespace tessar {

namespace {

constexpr RecordLayout kLayouts[] = {
    {RecordKind::Unversioned7, 492, 0, 324, 7, 471, 484, 64, 7},
    {RecordKind::Unversioned9, 532, 0, 324, 9, 513, 524, 80, 9},
    {RecordKind::Versioned, 544, 11, 335, 9, 524, 536, 80, 9},
};

// Layouts must end their names where the serial number begins, and their
// serial number where the start time begins.
constexpr bool FieldsTile(const RecordLayout& l) {
  return l.titleOffset + 4 * kRecordTitleSize <= l.nameOffset &&
         l.nameOffset + l.nameCount * kRecordNameSize == l.serialOffset &&
         l.serialOffset < l.startOffset && l.startOffset + 8 == l.headerSize &&
         l.recordSize == 8 + 8 * static_cast<std::size_t>(l.valueCount);
}
static_assert(FieldsTile(kLayouts[0]) && FieldsTile(kLayouts[1]) && FieldsTile(kLayouts[2]));

std::string_view Field(std::string_view bytes, std::size_t offset, std::size_t size) {
  return FieldBytes(bytes.data() + offset, size);
}

std::string_view SerialOf(std::string_view bytes, const RecordLayout& l) {
  return Field(bytes, l.serialOffset, l.startOffset - l.serialOffset);
}

bool SerialBegins(std::string_view serial, std::initializer_list<std::string_view> prefixes) {
  for (std::string_view p : prefixes)
    if (serial.substr(0, 2) == p) return true;
  return false;
}

// The test of each layout on a header that is long enough for it.
bool Matches(std::string_view bytes, const RecordLayout& l) {
  if (bytes.size() < l.headerSize) return false;
  switch (l.kind) {
    case RecordKind::Versioned: {
      const std::string_view version = Field(bytes, 0, 6);
      return version == "2.0.2" || version == "2.0.0";
    }
    case RecordKind::Unversioned7:
      return SerialBegins(SerialOf(bytes, l), {"A2", "A3"});
    case RecordKind::Unversioned9:
      return SerialBegins(SerialOf(bytes, l), {"A4"});
    case RecordKind::Unknown:
      break;
  }
  return false;
}

}  // namespace

const RecordLayout* LayoutOf(RecordKind kind) {
  for (const RecordLayout& l : kLayouts)
    if (l.kind == kind) return &l;
  return nullptr;
}

RecordKind RecogniseLayout(std::string_view bytes) {
  // The versioned layout first, then the older ones in the order of their age.
  for (RecordKind kind : {RecordKind::Versioned, RecordKind::Unversioned7, RecordKind::Unversioned9})
    if (Matches(bytes, *LayoutOf(kind))) return kind;
  return RecordKind::Unknown;
}

RecordHeaderInfo ReadHeaderInfo(std::string_view bytes, RecordKind kind) {
  RecordHeaderInfo info;
  const RecordLayout* l = LayoutOf(kind);
  if (!l || bytes.size() < l->headerSize) return info;
  info.kind = kind;
  if (kind == RecordKind::Versioned) info.version = FromCp949(Field(bytes, 0, 6));
  for (std::size_t i = 0; i < info.titles.size(); ++i)
    info.titles[i] = FromCp949(Field(bytes, l->titleOffset + i * kRecordTitleSize, kRecordTitleSize));
  for (int i = 0; i < l->nameCount; ++i)
    info.channelNames.push_back(
        FromCp949(Field(bytes, l->nameOffset + static_cast<std::size_t>(i) * kRecordNameSize,
                        kRecordNameSize)));
  const std::string_view serial = SerialOf(bytes, *l);
  info.serialNumber = FromCp949(serial);
  std::memcpy(&info.startTime, bytes.data() + l->startOffset, sizeof info.startTime);
  switch (kind) {
    case RecordKind::Unversioned7:
      info.channelCount = 7;
      break;
    case RecordKind::Unversioned9:
      info.channelCount = 9;
      break;
    default:
      info.channelCount = SerialBegins(serial, {"A2", "A3"}) ? 7 : 9;
  }
  return info;
}

}  // namespace tessar
