#include "acquisition/recording_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <fstream>

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
    ASSERT_TRUE(AppendRecordingRecord(path, r));
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
  EXPECT_FALSE(AppendRecordingRecord(path, RecordingRecord{}));
}

}  // namespace
}  // namespace tessar
