#include "acquisition/recording_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>

#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "test_support.h"

namespace tessar {
namespace {

std::string Bytes(const void* data, std::size_t size) {
  return std::string(static_cast<const char*>(data), size);
}

BoardSettings Board() {
  BoardSettings s;
  FillBoardDefaults(s, 1, "/tmp");
  StoreFieldBytes(s.jobTitle, "Kiln 3");
  StoreFieldBytes(s.chartTitle, "Firing");
  StoreFieldBytes(s.noteText, "\xC7\xD1\xB1\xDB note");  // CP949 Korean bytes pass unchanged
  StoreFieldBytes(s.yAxisTitle, "degC");
  StoreFieldBytes(s.channelName[8], "Last-8");
  StoreFieldBytes(s.serialNumber, "A30001");
  return s;
}

TEST(RecordingFileTest, HeaderBytesAtTheirOffsets) {
  const RecordingHeader h = BuildRecordingHeader(Board(), 46364.5);
  const std::string b = Bytes(&h, sizeof h);
  ASSERT_EQ(b.size(), 544u);
  EXPECT_EQ(b.substr(0, 6), std::string("2.0.2\0", 6));
  EXPECT_EQ(b.substr(6, 5), std::string(5, '\0'));
  EXPECT_EQ(b.substr(11, 7), std::string("Kiln 3\0", 7));
  EXPECT_EQ(b.substr(92, 7), std::string("Firing\0", 7));
  EXPECT_EQ(b.substr(173, 10), std::string("\xC7\xD1\xB1\xDB note\0", 10));
  EXPECT_EQ(b.substr(254, 5), std::string("degC\0", 5));
  EXPECT_EQ(b.substr(335, 4), "B-0 ");
  EXPECT_EQ(b.substr(335 + 8 * 21, 7), std::string("Last-8\0", 7));
  EXPECT_EQ(b.substr(524, 12), std::string("A30001\0\0\0\0\0\0", 12));
  // 46364.5 as a little-endian IEEE double
  EXPECT_EQ(b.substr(536, 8), std::string("\x00\x00\x00\x00\x90\xA3\xE6\x40", 8));
  EXPECT_EQ(test::LeDoubleAt(b, 536), 46364.5);
  // Everything after a text's terminator is zero.
  for (std::size_t i = 18; i < 92; ++i) EXPECT_EQ(b[i], '\0') << i;
}

TEST(RecordingFileTest, LongSerialNumberIsCutToElevenCharacters) {
  BoardSettings s = Board();
  StoreFieldBytes(s.serialNumber, "SN0123456789XYZ");
  const RecordingHeader h = BuildRecordingHeader(s, 0.0);
  EXPECT_EQ(Bytes(h.serialNumber, 12), std::string("SN012345678\0", 12));
  // A field without a terminator is read bounded by its size.
  std::memset(s.jobTitle, 'x', sizeof s.jobTitle);
  const RecordingHeader h2 = BuildRecordingHeader(s, 0.0);
  EXPECT_EQ(Bytes(h2.jobTitle, 81), std::string(80, 'x') + '\0');
}

TEST(RecordingFileTest, RecordBytes) {
  RecordingRecord r;
  r.time = 1.0;
  for (int i = 0; i < kSlotCount; ++i) r.values[i] = i == 8 ? -0.0001112 : i;
  const std::string b = Bytes(&r, sizeof r);
  ASSERT_EQ(b.size(), 80u);
  EXPECT_EQ(b.substr(0, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
  EXPECT_EQ(test::LeDoubleAt(b, 8 + 8 * 3), 3.0);
  EXPECT_EQ(test::LeDoubleAt(b, 72), -0.0001112);
}

TEST(RecordingFileTest, DirectoryAndNameFollowTheTimeOfNaming) {
  QTemporaryDir tmp;
  const std::filesystem::path data = std::filesystem::path(tmp.path().toStdString()) / "deep" / "data";
  const double t = EncodeDateTime({2026, 12, 8, 14, 5, 32});
  std::int16_t hour = -1;
  const std::filesystem::path path = NewRecordingFileName(data, 1, t, hour);
  EXPECT_EQ(path, data / "20261208" / "B" / "140532.ORV");
  EXPECT_EQ(hour, 14);
  EXPECT_TRUE(std::filesystem::is_directory(data / "20261208" / "B"));
  EXPECT_FALSE(std::filesystem::exists(path));  // naming creates no file
  EXPECT_EQ(RecordingDirectory(data, 3, EncodeDateTime({2027, 1, 2, 0, 0, 0})),
            data / "20270102" / "D");
}

TEST(RecordingFileTest, HeaderRewriteKeepsRecordsInPlace) {
  QTemporaryDir tmp;
  const std::filesystem::path path = std::filesystem::path(tmp.path().toStdString()) / "f.ORV";
  BoardSettings s = Board();
  ASSERT_TRUE(WriteRecordingHeader(path, BuildRecordingHeader(s, 10.0)));
  RecordingRecord r{};
  for (int i = 0; i < 3; ++i) {
    r.time = 10.0 + i;
    ASSERT_TRUE(AppendRecordingRecord(path, BuildRecordingHeader(s, 10.0), r));
  }
  const std::string before = test::FileText(path);
  ASSERT_EQ(before.size(), 544u + 3 * 80);

  StoreFieldBytes(s.jobTitle, "Kiln 4");
  ASSERT_TRUE(WriteRecordingHeader(path, BuildRecordingHeader(s, 10.0)));
  const std::string after = test::FileText(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(11, 6), "Kiln 4");
  EXPECT_EQ(after.substr(544), before.substr(544));
  EXPECT_EQ(test::LeDoubleAt(after, 544 + 80 * 2), 12.0);
}

TEST(RecordingFileTest, UnwritablePlacesFailQuietly) {
  QTemporaryDir tmp;
  const std::filesystem::path blocker = std::filesystem::path(tmp.path().toStdString()) / "file";
  std::ofstream(blocker) << "x";
  std::int16_t hour = 0;
  const std::filesystem::path path = NewRecordingFileName(blocker, 0, 46000.25, hour);
  EXPECT_FALSE(WriteRecordingHeader(path, BuildRecordingHeader(Board(), 0.0)));
  EXPECT_FALSE(AppendRecordingRecord(path, RecordingHeader{}, RecordingRecord{}));
}

// A file-size limit on this process for a scope, as `ulimit -f` sets it: a
// write beyond it fails (SIGXFSZ ignored, as the programs do) after writing
// what fits, the way a full disk does.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    Set(bytes);
  }
  ~ScopedFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
  void Set(rlim_t bytes) {
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }

 private:
  rlimit saved_{};
};

RecordingRecord RecordAt(double time) {
  RecordingRecord r{};
  r.time = time;
  for (double& v : r.values) v = time * 2;
  return r;
}

// Whatever a file held before, an append leaves it a whole header followed
// by whole records, the new one last; records already whole stay as they were.
TEST(RecordingFileTest, AnAppendLeavesAWholeHeaderAndWholeRecords) {
  const RecordingHeader header = BuildRecordingHeader(Board(), 7.0);
  const std::string headerBytes = Bytes(&header, sizeof header);
  const RecordingRecord one = RecordAt(1.0);
  const std::string record = Bytes(&one, sizeof one);
  const struct {
    const char* what;
    std::optional<std::string> before;  // nullopt: no file
    std::size_t keptRecords;            // whole records of `before` that stay
  } cases[] = {
      {"no file", std::nullopt, 0},
      {"an empty file", std::string(), 0},
      {"part of a header", headerBytes.substr(0, 200), 0},
      {"a header", headerBytes, 0},
      {"two records", headerBytes + record + record, 2},
      {"two records and part of one", headerBytes + record + record + record.substr(0, 32), 2},
      {"part of the first record", headerBytes + record.substr(0, 79), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir tmp;
    const std::filesystem::path path = std::filesystem::path(tmp.path().toStdString()) / "f.ORV";
    if (c.before) test::WriteBytes(path.string(), c.before->data(), c.before->size());
    const RecordingRecord next = RecordAt(2.0);
    std::error_code error;
    ASSERT_TRUE(AppendRecordingRecord(path, header, next, &error)) << error.message();
    const std::string after = test::FileText(path);
    ASSERT_EQ(after.size(), 544u + 80 * (c.keptRecords + 1));
    EXPECT_EQ(after.substr(0, 544), c.before && c.before->size() >= 544 ? c.before->substr(0, 544)
                                                                          : headerBytes);
    if (c.keptRecords > 0) {
      EXPECT_EQ(after.substr(544, 80 * c.keptRecords), c.before->substr(544, 80 * c.keptRecords));
    }
    EXPECT_EQ(test::LeDoubleAt(after, after.size() - 80), 2.0);
  }
}

// A write that does not fit (a full disk, a file-size limit) leaves no part
// of itself: the record is cut back, a new file without room for its header
// is removed, and once there is room again the file goes on whole.
TEST(RecordingFileTest, AWriteThatDoesNotFitLeavesNothingOfItself) {
  QTemporaryDir tmp;
  const std::filesystem::path dir(tmp.path().toStdString());
  const RecordingHeader header = BuildRecordingHeader(Board(), 7.0);
  ScopedFileSizeLimit limit(544 + 2 * 80 + 32);  // room for two records and 32 bytes
  const struct {
    double time;
    bool written;
    std::size_t size;  // of the file afterwards
  } steps[] = {{1.0, true, 624}, {2.0, true, 704}, {3.0, false, 704}, {4.0, false, 704}};
  const std::filesystem::path path = dir / "a.ORV";
  for (const auto& step : steps) {
    std::error_code error;
    EXPECT_EQ(AppendRecordingRecord(path, header, RecordAt(step.time), &error), step.written)
        << step.time;
    EXPECT_EQ(std::filesystem::file_size(path), step.size) << step.time;
    if (!step.written) {
      EXPECT_EQ(error, std::errc::file_too_large);
    }
  }
  // not even a header fits: the new file is not left behind, empty or cut
  limit.Set(300);
  const std::filesystem::path fresh = dir / "b.ORV";
  EXPECT_FALSE(WriteRecordingHeader(fresh, header));
  EXPECT_FALSE(std::filesystem::exists(fresh));
  EXPECT_FALSE(AppendRecordingRecord(fresh, header, RecordAt(5.0)));
  EXPECT_FALSE(std::filesystem::exists(fresh));

  limit.Set(RLIM_INFINITY);
  ASSERT_TRUE(AppendRecordingRecord(path, header, RecordAt(5.0)));
  const std::string after = test::FileText(path);
  ASSERT_EQ(after.size(), 544u + 3 * 80);
  EXPECT_EQ(test::LeDoubleAt(after, 544 + 80), 2.0);
  EXPECT_EQ(test::LeDoubleAt(after, 544 + 160), 5.0);
  EXPECT_EQ(test::LeDoubleAt(after, 544 + 160 + 8), 10.0);
}

// A new file never takes a name that exists: the next free second does, in
// the folder of that second. The hour returned is the hour of the naming.
TEST(RecordingFileTest, ANewFileTakesTheNextFreeName) {
  const struct {
    CalendarTime now;
    std::set<std::string> taken;  // "<day>/<name>" under the board folder
    const char* expected;
  } cases[] = {
      {{2026, 10, 25, 2, 0, 0}, {}, "20261025/020000.ORV"},
      {{2026, 10, 25, 2, 0, 0}, {"20261025/020000.ORV"}, "20261025/020001.ORV"},
      {{2026, 10, 25, 10, 59, 58},
       {"20261025/105958.ORV", "20261025/105959.ORV"},
       "20261025/110000.ORV"},
      {{2026, 12, 31, 23, 59, 59}, {"20261231/235959.ORV"}, "20270101/000000.ORV"},
  };
  for (const auto& c : cases) {
    QTemporaryDir tmp;
    const std::filesystem::path data(tmp.path().toStdString());
    for (const std::string& name : c.taken) {
      const std::filesystem::path day = data / name.substr(0, 8) / "C";
      std::filesystem::create_directories(day);
      std::ofstream(day / name.substr(9)) << "earlier";
    }
    std::int16_t hour = -1;
    const std::filesystem::path path = NewRecordingFileName(data, 2, EncodeDateTime(c.now), hour);
    const std::string expected(c.expected);
    EXPECT_EQ(path, data / expected.substr(0, 8) / "C" / expected.substr(9)) << expected;
    EXPECT_EQ(hour, c.now.hour);
    for (const std::string& name : c.taken) {
      EXPECT_EQ(test::FileText(data / name.substr(0, 8) / "C" / name.substr(9)), "earlier");
    }
  }
}

}  // namespace
}  // namespace tessar
