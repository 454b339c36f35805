// The files of the live export buttons.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <string>

#include "acquisition/live_export.h"
#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "test_support.h"

namespace tessar {
namespace {

const double kStart = EncodeDateTime({2026, 12, 8, 14, 5, 32});
constexpr double kSecond = 1.0 / kSecondsPerDay;

LiveExportTexts Texts() {
  LiveExportTexts t;
  t.jobTitle = "Oven 100% run";
  t.serialNumber = "SN7";
  t.noteText = "";
  t.yAxisTitle = "degC %d";
  for (int i = 0; i < kSlotCount; ++i) t.channelNames[i] = "CH" + std::to_string(i);
  t.channelNames[2] = "Inlet";
  return t;
}

// Two points; slot 3 of the second has no data.
ChartModel TwoPoints(double x0) {
  ChartModel m;
  std::array<double, kChartSlots> y{};
  for (int s = 0; s < kChartSlots; ++s) y[s] = 10.0 + s;
  m.Append(x0, y);
  y[3] = NoDataValue;
  y[1] = 1234.5678;
  m.Append(x0 + 1.0 * kSecond, y);
  return m;
}

std::string U16(int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Label(int row, int col, const std::string& text) {
  return U16(0x0204) + U16(8 + int(text.size())) + U16(row) + U16(col) + U16(0) +
         U16(int(text.size())) + text;
}
std::string Number(int row, int col, double v) {
  std::string raw(8, '\0');
  std::memcpy(raw.data(), &v, 8);
  return U16(0x0203) + U16(14) + U16(row) + U16(col) + U16(0) + raw;
}

TEST(LiveExport, SheetOfASmallChartRecordByRecord) {
  const ChartModel chart = TwoPoints(kStart);
  const std::string sheet = ChartSheet(Texts(), {&chart, kStart, false}, {});
  std::string expected = U16(0x0809) + U16(8) + U16(0) + U16(0x10) + U16(1) + U16(0) +
                         U16(0x0042) + U16(2) + U16(949);  // the texts' code page
  expected += Label(0, 0, "Oven 100% run") + Label(0, 1, "SN7") + Label(0, 2, "") +
              Label(0, 3, "degC %d") + Label(0, 4, "2026-12-08 14:05:32");
  expected += Label(1, 0, "Time");
  for (int s = 0; s < kSlotCount; ++s) expected += Label(1, s + 1, Texts().channelNames[s]);
  const char* times[] = {"12-08 14:05:32", "12-08 14:05:33"};
  for (int i = 0; i < 2; ++i) {
    expected += Label(2 + i, 0, times[i]);
    for (int s = 0; s < kSlotCount; ++s) {
      const double y = chart.y(s, i);
      expected += y == NoDataValue ? Label(2 + i, s + 1, "*") : Number(2 + i, s + 1, y);
    }
  }
  expected += U16(0x000A) + U16(0);
  ASSERT_EQ(sheet.size(), expected.size());
  // record by record, so that a difference names its record
  std::size_t at = 0;
  int record = 0;
  while (at < expected.size()) {
    const std::size_t length = 4 + static_cast<unsigned char>(expected[at + 2]) +
                               256 * static_cast<unsigned char>(expected[at + 3]);
    ASSERT_EQ(sheet.substr(at, length), expected.substr(at, length)) << "record " << record;
    at += length;
    ++record;
  }
  EXPECT_EQ(record, 2 + 5 + 10 + 2 * 10 + 1);

  // Without points: BOF, code page and EOF only.
  const ChartModel empty;
  EXPECT_EQ(ChartSheet(Texts(), {&empty, kStart, false}, {}),
            expected.substr(0, 18) + U16(0x000A) + U16(0));
}

TEST(LiveExport, TextLinesTitlesAsTheyStandAndAbsoluteTimes) {
  // With the elapsed axis the x values count from the start; the file shows
  // date-times.
  const ChartModel chart = TwoPoints(0.0);
  int pumps = 0;
  const std::string text = ChartText(Texts(), {&chart, kStart, true}, [&pumps] { ++pumps; });
  const std::string expected =
      "Oven 100% run#SN7##degC %d#2026-12-08 14:05:32\r\n"
      "         Time                 CH0        CH1      Inlet        CH3        CH4        CH5"
      "        CH6        CH7        CH8\r\n"
      "2026-12-08 14:05:32      10.00      11.00      12.00      13.00      14.00      15.00"
      "      16.00      17.00      18.00\r\n"
      "2026-12-08 14:05:33      10.00    1234.57      12.00      -0.00      14.00      15.00"
      "      16.00      17.00      18.00\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(pumps, 0);

  // Events are pumped every 300 points.
  ChartModel many;
  for (int i = 0; i < 900; ++i) many.Append(kStart + i * kSecond, {});
  ChartText(Texts(), {&many, kStart, false}, [&pumps] { ++pumps; });
  ChartSheet(Texts(), {&many, kStart, false}, [&pumps] { ++pumps; });
  EXPECT_EQ(pumps, 6);
  EXPECT_EQ(MemoLog({"     1 a", "     2 b"}), "     1 a\r\n     2 b\r\n");
}

TEST(LiveExport, PathsAndFailuresThatAreNeverReportedAsSaved) {
  EXPECT_EQ(LiveExportPath("/data", 2, kStart, ".TXT"), "/data/20261208/C140532.TXT");
  EXPECT_EQ(LiveExportPath("/data", 0, EncodeDateTime({2027, 1, 2, 3, 4, 5}), ".xls"),
            "/data/20270102/A030405.xls");

  QTemporaryDir tmp;
  const std::filesystem::path dir = tmp.path().toStdString();
  const auto path = LiveExportPath(dir, 0, kStart, ".LOG");  // the day directory is made
  EXPECT_EQ(SaveExportFile(path, "abc"), SaveResult::Saved);
  EXPECT_EQ(test::FileText(path), "abc");
  EXPECT_EQ(SaveExportFile(path, "x"), SaveResult::Saved);  // emptied first
  EXPECT_EQ(test::FileText(path), "x");
  test::WriteBytes((dir / "file").string(), "f", 1);
  EXPECT_EQ(SaveExportFile(dir / "file" / "A.TXT", "abc"), SaveResult::CannotCreate);
  // Created, but the disk is full.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(SaveExportFile("/dev/full", std::string(100000, 'x')), SaveResult::WriteFailed);
  }
}

// A real spreadsheet reader opens the sheet of a full chart (3602 rows) and
// reads its Korean title as Korean.
TEST(LiveExport, FullChartSheetOpensInASpreadsheetReader) {
  if (!test::FileExists("/usr/bin/python3") ||
      test::RunProcess("/usr/bin/python3", {"-c", "import xlrd"}).exitCode != 0) {
    GTEST_SKIP() << "python3-xlrd is not installed";
  }
  ChartModel chart;
  std::array<double, kChartSlots> y{};
  for (int i = 0; i < kChartPointLimit; ++i) {
    for (int s = 0; s < kChartSlots; ++s) y[s] = s == 4 && i % 7 == 0 ? NoDataValue : i + s / 10.0;
    chart.Append(kStart + i * kSecond, y);
  }
  LiveExportTexts texts = Texts();
  texts.jobTitle = "\xBF\xC2\xB5\xB5 \xBD\xC3\xC7\xE8";  // "온도 시험" in CP949
  QTemporaryDir tmp;
  const std::string path = tmp.filePath("A140532.xls").toStdString();
  ASSERT_EQ(SaveExportFile(path, ChartSheet(texts, {&chart, kStart, false}, {})),
            SaveResult::Saved);
  const auto result = test::RunProcess(
      "/usr/bin/python3",
      {"-c",
       "import os, sys, xlrd\n"
       "sys.stdout.reconfigure(encoding='utf-8')\n"
       "s = xlrd.open_workbook(sys.argv[1], logfile=open(os.devnull, 'w')).sheet_by_index(0)\n"
       "print(s.nrows, s.ncols, s.cell_value(0, 0), s.cell_value(3601, 0), s.cell_value(3601, 1),"
       " s.cell_value(2, 5))\n",
       QString::fromStdString(path)});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "3602 10 온도 시험 12-08 15:05:31 3599.0 *\n");
}

}  // namespace
}  // namespace tessar
