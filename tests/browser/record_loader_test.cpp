#include "browser/record_loader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "common/date_time.h"
#include "record_files.h"

namespace tessar {
namespace {

using test::RecordFileShape;
using test::RecordHeaderBytes;
using test::RecordsBytes;
using test::WriteFile;
namespace fs = std::filesystem;

const double kStart = EncodeDateTime({2026, 12, 8, 14, 0, 0});

class LoaderTest : public ::testing::Test {
 protected:
  fs::path Dir() const { return fs::path(tmp_.path().toStdString()); }
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path p = Dir() / name;
    WriteFile(p, bytes);
    return p;
  }
  QTemporaryDir tmp_;
};

TEST_F(LoaderTest, RecognisesEachLayoutAndItsHeaderTexts) {
  struct Case {
    const char* what;
    RecordFileShape shape;
    RecordKind kind;
    int channels;
    const char* version;
  };
  const Case cases[] = {
      {"kind 1, A3", {1, "", {"Job", "Chart", "Note", "degC"}, {}, "A30042", kStart}, RecordKind::Unversioned7, 7, ""},
      {"kind 1, A2", {1, "", {"J", "C", "N", "Y"}, {}, "A2", kStart}, RecordKind::Unversioned7, 7, ""},
      {"kind 2, A4", {2, "", {"Job", "Chart", "Note", "degC"}, {}, "A40001", kStart}, RecordKind::Unversioned9, 9, ""},
      {"2.0.0", {3, "2.0.0", {"Job", "Chart", "Note", "degC"}, {}, "A40001", kStart}, RecordKind::Versioned, 9, "2.0.0"},
      {"2.0.2, A2: 7 channels", {3, "2.0.2", {"Job", "Chart", "Note", "degC"}, {}, "A2XYZ", kStart}, RecordKind::Versioned, 7, "2.0.2"},
      {"2.0.2, A3: 7 channels", {3, "2.0.2", {"Job", "Chart", "Note", "degC"}, {}, "A3", kStart}, RecordKind::Versioned, 7, "2.0.2"},
      {"2.0.2, other serial", {3, "2.0.2", {"Job", "Chart", "Note", "degC"}, {}, "SN77", kStart}, RecordKind::Versioned, 9, "2.0.2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordFileShape shape = c.shape;
    shape.names = {"  Inlet ", "Outlet", "Core"};
    const int recordKind = shape.kind;
    const fs::path p = Write("f.ORV", RecordHeaderBytes(shape) + RecordsBytes(recordKind, kStart, 2));
    LoadRequest request;
    request.files = {p};
    const LoadResult r = LoadRecordFiles(request);
    ASSERT_EQ(r.status, LoadStatus::Loaded);
    EXPECT_EQ(r.header.kind, c.kind);
    EXPECT_EQ(r.header.version, QString::fromLatin1(c.version));
    EXPECT_EQ(r.data.channelCount, c.channels);
    EXPECT_EQ(r.header.titles[0], QString::fromStdString(shape.titles[0]));
    EXPECT_EQ(r.header.titles[3], QString::fromStdString(shape.titles[3]));
    EXPECT_EQ(r.header.serialNumber, QString::fromStdString(shape.serial));
    EXPECT_EQ(r.header.startTime, kStart);
    EXPECT_EQ(r.data.titles[0], QStringLiteral("Inlet"));  // trimmed
    EXPECT_EQ(r.data.titles[3], QStringLiteral("N3"));
    EXPECT_EQ(r.data.titles[8], c.channels == 9 ? QStringLiteral("N8") : QStringLiteral("CH8"));
    ASSERT_EQ(r.plottedPoints, 2);
    for (int s = 0; s < 9; ++s) EXPECT_EQ(r.data.PointCount(s), s < c.channels ? 2 : 0) << s;
    EXPECT_EQ(r.data.x[1], kStart + 1 / 86400.0);
    EXPECT_EQ(r.data.y[c.channels - 1][1], 100.0 + c.channels - 1);
  }
}

TEST_F(LoaderTest, FirstFileThatIsNoRecording) {
  struct Case {
    const char* what;
    std::string bytes;  // empty name: the file is not written
    LoadStatus status;
  };
  RecordFileShape badSerial{1, "", {"a", "b", "c", "d"}, {}, "B10001", kStart};
  RecordFileShape version{3, "2.0.2", {"a", "b", "c", "d"}, {}, "A4", kStart};
  RecordFileShape otherVersion = version;
  otherVersion.version = "2.0.1";
  const Case cases[] = {
      {"old layout with a foreign serial", RecordHeaderBytes(badSerial) + RecordsBytes(1, kStart, 2),
       LoadStatus::Unsupported},
      {"version 2.0.1", RecordHeaderBytes(otherVersion) + RecordsBytes(3, kStart, 1),
       LoadStatus::Unsupported},
      {"versioned header cut short", RecordHeaderBytes(version).substr(0, 543), LoadStatus::Unsupported},
      {"empty file", "", LoadStatus::Unsupported},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadRequest request;
    request.files = {Write("x.ORV", c.bytes)};
    const LoadResult r = LoadRecordFiles(request);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.data.PointCount(0), 0);
  }
  LoadRequest none;
  EXPECT_EQ(LoadRecordFiles(none).status, LoadStatus::NoFiles);
  LoadRequest missing;
  missing.files = {Dir() / "gone.ORV"};
  EXPECT_EQ(LoadRecordFiles(missing).status, LoadStatus::OpenFailed);
  LoadRequest directory;
  directory.files = {Dir()};
  EXPECT_EQ(LoadRecordFiles(directory).status, LoadStatus::OpenFailed);
}

TEST_F(LoaderTest, FilesOfALoad) {
  const std::string v9 = RecordHeaderBytes({3, "2.0.2", {"a", "b", "c", "d"}, {}, "A4", kStart});
  const std::string old7 = RecordHeaderBytes({1, "", {"a", "b", "c", "d"}, {}, "A3", kStart});
  struct Case {
    const char* what;
    std::vector<std::string> files;  // "" = missing
    int subsampling;
    int limit;
    LoadStatus status;
    std::vector<double> xSeconds;  // plotted x values as seconds after kStart
    std::vector<FileOutcome> outcomes;
  };
  const Case cases[] = {
      {"subsampling 2 over two files of 3 records: the 2nd of each",
       {v9 + RecordsBytes(3, kStart, 3), v9 + RecordsBytes(3, kStart, 3, 10)}, 2, 3600,
       LoadStatus::Loaded, {1, 11}, {FileOutcome::Read, FileOutcome::Read}},
      {"subsampling 3: the 3rd and 6th",
       {v9 + RecordsBytes(3, kStart, 7)}, 3, 3600, LoadStatus::Loaded, {2, 5}, {FileOutcome::Read}},
      {"a record cut short ends the file",
       {v9 + RecordsBytes(3, kStart, 2) + std::string(40, '\x7f'), v9 + RecordsBytes(3, kStart, 1, 5)},
       1, 3600, LoadStatus::Loaded, {0, 1, 5}, {FileOutcome::Read, FileOutcome::Read}},
      {"missing later files are skipped",
       {v9 + RecordsBytes(3, kStart, 1), "", v9 + RecordsBytes(3, kStart, 1, 7)}, 1, 3600,
       LoadStatus::Loaded, {0, 7}, {FileOutcome::Read, FileOutcome::Missing, FileOutcome::Read}},
      {"a later file of another layout is skipped",
       {v9 + RecordsBytes(3, kStart, 1), old7 + RecordsBytes(1, kStart, 4, 20),
        v9.substr(0, 300)},
       1, 3600, LoadStatus::Loaded, {0}, {FileOutcome::Read, FileOutcome::OtherLayout, FileOutcome::OtherLayout}},
      {"points sorted by x across files",
       {v9 + RecordsBytes(3, kStart, 2, 50), v9 + RecordsBytes(3, kStart, 2, 3)}, 1, 3600,
       LoadStatus::Loaded, {3, 4, 50, 51}, {FileOutcome::Read, FileOutcome::Read}},
      {"limit reached exactly at the end of the last file",
       {v9 + RecordsBytes(3, kStart, 2), v9 + RecordsBytes(3, kStart, 2, 2)}, 1, 4,
       LoadStatus::LimitReached, {0, 1, 2, 3}, {FileOutcome::Read, FileOutcome::Stopped}},
      {"limit plus one record",
       {v9 + RecordsBytes(3, kStart, 5), v9 + RecordsBytes(3, kStart, 1, 9)}, 1, 4,
       LoadStatus::LimitReached, {0, 1, 2, 3}, {FileOutcome::Stopped, FileOutcome::NotReached}},
      {"one below the limit",
       {v9 + RecordsBytes(3, kStart, 3)}, 1, 4, LoadStatus::Loaded, {0, 1, 2}, {FileOutcome::Read}},
      {"no limit", {v9 + RecordsBytes(3, kStart, 6)}, 1, 0, LoadStatus::Loaded, {0, 1, 2, 3, 4, 5},
       {FileOutcome::Read}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadRequest request;
    for (std::size_t i = 0; i < c.files.size(); ++i) {
      const fs::path p = Dir() / ("case" + std::to_string(i) + ".ORV");
      fs::remove(p);
      if (!c.files[i].empty()) WriteFile(p, c.files[i]);
      request.files.push_back(p);
    }
    request.subsampling = c.subsampling;
    request.pointLimit = c.limit;
    request.mode = AxisMode::ElapsedSeconds;
    const LoadResult r = LoadRecordFiles(request);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.data.x, c.xSeconds);
    EXPECT_EQ(r.plottedPoints, static_cast<int>(c.xSeconds.size()));
    EXPECT_EQ(r.files, c.outcomes);
    for (std::size_t j = 0; j < c.xSeconds.size(); ++j)
      EXPECT_EQ(r.data.y[4][j], 100 * c.xSeconds[j] + 4);
  }
}

TEST_F(LoaderTest, RecordsWhoseTimeIsNoDateTimeAreSkippedAndCounted) {
  const double inf = std::numeric_limits<double>::infinity();
  const double last = EncodeDateTime({9999, 12, 31, 23, 59, 59, 999});
  auto at = [](double time) { return test::RecordBytes(3, time, {7, 7, 7, 7, 7}); };
  const std::string ff(80, '\xFF');  // NaN time and values
  struct Case {
    const char* what;
    double headerStart;
    std::string records;
    int subsampling;
    AxisMode mode;
    std::vector<std::pair<double, double>> points;  // x and the value of channel 4
    long long skipped;
  };
  const Case cases[] = {
      {"a record of 0xFF bytes", kStart, RecordsBytes(3, kStart, 3) + ff + RecordsBytes(3, kStart, 2, 3), 1,
       AxisMode::ElapsedSeconds, {{0, 4}, {1, 104}, {2, 204}, {3, 304}, {4, 404}}, 1},
      {"infinite, before year 1, after 9999, far out",
       kStart,
       RecordsBytes(3, kStart, 1) + at(inf) + at(-inf) + at(EncodeDateTime({10000, 1, 1})) +
           at(EncodeDateTime({0, 12, 31})) + at(1e300) + RecordsBytes(3, kStart, 1, 1),
       1, AxisMode::ElapsedTime, {{0, 4}, {kStart + 1 / 86400.0 - kStart, 104}}, 5},
      {"the calendar's last millisecond is a time", kStart, at(last), 1, AxisMode::RecordTime, {{last, 7}}, 0},
      {"subsampling 2: a damaged record keeps its place", kStart,
       RecordsBytes(3, kStart, 1) + ff + RecordsBytes(3, kStart, 2, 2), 2, AxisMode::ElapsedSeconds,
       {{3, 304}}, 1},
      {"a header start that is no date-time: elapsed from the first record", std::nan(""),
       ff + RecordsBytes(3, kStart, 2, 5), 1, AxisMode::ElapsedSeconds, {{0, 504}, {1, 604}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadRequest request;
    request.files = {
        Write("d.ORV", RecordHeaderBytes({3, "2.0.2", {"a", "b", "c", "d"}, {}, "A4", c.headerStart}) + c.records)};
    request.subsampling = c.subsampling;
    request.mode = c.mode;
    const LoadResult r = LoadRecordFiles(request);
    EXPECT_EQ(r.status, LoadStatus::Loaded);
    EXPECT_EQ(r.skippedRecords, c.skipped);
    std::vector<std::pair<double, double>> points;
    for (std::size_t j = 0; j < r.data.x.size(); ++j) points.emplace_back(r.data.x[j], r.data.y[4][j]);
    EXPECT_EQ(points, c.points);
    EXPECT_EQ(r.plottedPoints, static_cast<int>(c.points.size()));
  }
}

TEST_F(LoaderTest, TheFullLimitOfThe3600PointChart) {
  const std::string v9 = RecordHeaderBytes({3, "2.0.2", {"a", "b", "c", "d"}, {}, "A4", kStart});
  LoadRequest request;
  request.files = {Write("big.ORV", v9 + RecordsBytes(3, kStart, 3601))};
  int pumps = 0;
  request.pump = [&pumps] { ++pumps; };
  const LoadResult r = LoadRecordFiles(request);
  EXPECT_EQ(r.status, LoadStatus::LimitReached);
  EXPECT_EQ(r.plottedPoints, 3600);
  EXPECT_EQ(pumps, 11);  // after every 300 records: the window stays responsive
  EXPECT_EQ(LoadStatusText(r, AxisMode::RecordTime, false),
            QStringLiteral("Too many data!!! Use subsampling.(Max=3600)"));
}

TEST(LoaderTexts, StatusOfEachOutcome) {
  struct Case {
    LoadStatus status;
    AxisMode mode;
    bool korean;
    const char* text;
  };
  const Case cases[] = {
      {LoadStatus::NoFiles, AxisMode::RecordTime, false, "No data!!"},
      {LoadStatus::NoFiles, AxisMode::RecordTime, true, "해당하는 내용이 없습니다."},
      {LoadStatus::OpenFailed, AxisMode::RecordTime, false, "Some errors!"},
      {LoadStatus::Unsupported, AxisMode::RecordTime, true, "지원하지 않는 파일포맷입니다."},
      {LoadStatus::Unsupported, AxisMode::RecordTime, false, "It's not supported file format"},
      {LoadStatus::LimitReached, AxisMode::ElapsedTime, false, "Too many data!!! Use subsampling. (Max=3600)"},
      {LoadStatus::LimitReached, AxisMode::ElapsedSeconds, true,
       "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오. (최대=3600)"},
      {LoadStatus::LimitReached, AxisMode::RecordTime, true,
       "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오.(최대=3600)"},
      {LoadStatus::Loaded, AxisMode::RecordTime, false, "Total data are 42"},
      {LoadStatus::Loaded, AxisMode::RecordTime, true, "42개 데이터를 읽었습니다."},
      {LoadStatus::NothingRead, AxisMode::RecordTime, false, ""},
  };
  for (const Case& c : cases) {
    LoadResult r;
    r.status = c.status;
    r.plottedPoints = 42;
    EXPECT_EQ(LoadStatusText(r, c.mode, c.korean), QString::fromUtf8(c.text));
  }
}

TEST_F(LoaderTest, FilesOfABoardInADateTimeRange) {
  const long long day8 = static_cast<long long>(EncodeDateTime({2026, 12, 8})) * 24;
  const long long day9 = day8 + 24;
  for (const char* name : {"130000.ORV", "140532.ORV", "145959.orv", "150000.ORV", "235900.ORV",
                           "xx0000.ORV", "140000.TXT"})
    WriteFile(Dir() / "20261208" / "B" / name, "");
  WriteFile(Dir() / "20261209" / "B" / "000100.ORV", "");
  WriteFile(Dir() / "20261208" / "A" / "140000.ORV", "");
  struct Case {
    const char* what;
    long long start, end;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"the hour 14", day8 + 14, day8 + 15, {"20261208/B/140532.ORV", "20261208/B/145959.orv"}},
      {"13:00-14:00 excludes 14", day8 + 13, day8 + 14, {"20261208/B/130000.ORV"}},
      {"over midnight", day8 + 23, day9 + 1, {"20261208/B/235900.ORV", "20261209/B/000100.ORV"}},
      {"start equals end", day8 + 14, day8 + 14, {}},
      {"end before start", day9 + 1, day8 + 13, {}},
      {"a day without a folder", day9 + 24, day9 + 48, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<fs::path> expected;
    for (const std::string& n : c.names) expected.push_back(Dir() / n);
    EXPECT_EQ(RangeFileList(Dir(), 'B', c.start, c.end), expected);
  }
}

}  // namespace
}  // namespace tessar
