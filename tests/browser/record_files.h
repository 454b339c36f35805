// Recording files of every accepted layout, written byte by byte at the
// offsets of their layouts (the tests never go through the loader's own
// structures to build them).
#pragma once

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessar::test {

struct RecordFileShape {
  int kind = 3;                       // 1: 7 channels, 2: 9 channels, 3: versioned
  std::string version = "2.0.2";      // kind 3 only
  std::string titles[4] = {"Job", "Chart", "Note", "degC"};
  std::vector<std::string> names;     // defaults "N0".. when empty
  std::string serial = "A40001";
  double start = 0.0;
};

inline void PutText(std::string& bytes, std::size_t offset, const std::string& text) {
  std::memcpy(bytes.data() + offset, text.data(), text.size());
}

inline void PutDouble(std::string& bytes, std::size_t offset, double v) {
  std::memcpy(bytes.data() + offset, &v, 8);  // the test host is little-endian
}

inline std::string RecordHeaderBytes(const RecordFileShape& s) {
  const bool versioned = s.kind == 3;
  const std::size_t size = versioned ? 544 : s.kind == 1 ? 492 : 532;
  const std::size_t titles = versioned ? 11 : 0;
  const std::size_t names = versioned ? 335 : 324;
  const int nameCount = s.kind == 1 ? 7 : 9;
  const std::size_t serial = versioned ? 524 : s.kind == 1 ? 471 : 513;
  const std::size_t start = versioned ? 536 : s.kind == 1 ? 484 : 524;
  std::string bytes(size, '\0');
  if (versioned) PutText(bytes, 0, s.version);
  for (int i = 0; i < 4; ++i) PutText(bytes, titles + 81 * i, s.titles[i]);
  for (int i = 0; i < nameCount; ++i)
    PutText(bytes, names + 21 * i,
            i < static_cast<int>(s.names.size()) ? s.names[i] : "N" + std::to_string(i));
  PutText(bytes, serial, s.serial);
  PutDouble(bytes, start, s.start);
  return bytes;
}

// One record: the time and 7 (kind 1) or 9 values.
inline std::string RecordBytes(int kind, double time, const std::vector<double>& values) {
  const int count = kind == 1 ? 7 : 9;
  std::string bytes(8 + 8 * count, '\0');
  PutDouble(bytes, 0, time);
  for (int i = 0; i < count; ++i)
    PutDouble(bytes, 8 + 8 * i, i < static_cast<int>(values.size()) ? values[i] : 0.0);
  return bytes;
}

// Records at `start` + i seconds with value(i, channel) = 100 i + channel.
inline std::string RecordsBytes(int kind, double start, int count, int first = 0) {
  std::string bytes;
  for (int i = first; i < first + count; ++i) {
    std::vector<double> values;
    for (int c = 0; c < 9; ++c) values.push_back(100.0 * i + c);
    bytes += RecordBytes(kind, start + i / 86400.0, values);
  }
  return bytes;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(),
                                                                static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tessar::test
