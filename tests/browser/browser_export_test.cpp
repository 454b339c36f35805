#include "browser/browser_export.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sstream>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "test_support.h"

namespace tessar {
namespace {

std::string B(const char* bytes, std::size_t n) { return std::string(bytes, n); }

// Two points of three channels, one without data.
ChartData Sample() {
  ChartData d;
  d.channelCount = 3;
  d.titles[0] = QStringLiteral("T1");
  d.titles[1] = QStringLiteral("LongTitle12");
  d.titles[2] = QString::fromUtf8("온도");
  const double a[3] = {1.5, -2.25, NoDataValue};
  const double b[3] = {1234.5678, 0.0, 3.0};
  d.Add(12.0, a);
  d.Add(86405.0, b);
  return d;
}

TEST(BrowserExport, TextLayoutByteByByte) {
  const ChartData d = Sample();
  ExportSource src{d, AxisMode::ElapsedSeconds, QStringLiteral("Run 5%"), QStringLiteral("degC"),
                   QStringLiteral("2026-12-08 14:00:00"), {}};
  std::ostringstream out;
  WriteBrowserText(src, out);
  const std::string expected =
      "Run 5% # degC # 2026-12-08 14:00:00\r\n"
      "         Time         T1        LongTitle1\xBF\xC2\xB5\xB5      \r\n"
      "          12.0         1.500    -2.250         *\r\n"
      "       86405.0      1234.568     0.000     3.000\r\n";
  EXPECT_EQ(out.str(), expected);
}

TEST(BrowserExport, SpreadsheetLayoutByteByByte) {
  ChartData d = Sample();
  d.channelCount = 1;  // one column keeps the golden bytes short
  ExportSource src{d, AxisMode::ElapsedTime, QStringLiteral("C"), QStringLiteral("Y"),
                   QStringLiteral("S"), {}};
  d.x = {1.0 + 3723.0 / 86400.0, 2.0};
  d.y[0] = {NoDataValue, 2.0};
  std::ostringstream out;
  WriteBrowserXls(src, out);
  auto label = [](int row, int col, const std::string& text) {
    std::string r = B("\x04\x02", 2);
    r += static_cast<char>(8 + text.size());
    r += '\0';
    r += static_cast<char>(row);
    r += '\0';
    r += static_cast<char>(col);
    r += B("\0\0\0", 3);
    r += static_cast<char>(text.size());
    r += '\0';
    return r + text;
  };
  const std::string expected =
      B("\x09\x08\x08\x00\x00\x00\x10\x00\x01\x00\x00\x00", 12) +
      B("\x42\x00\x02\x00\xB5\x03", 6) + label(0, 0, "C") +
      label(0, 1, "Y") + label(0, 2, "S") + label(1, 0, "Time") + label(1, 1, "T1") +
      label(2, 0, "1 01:02:03") + label(2, 1, "*") + label(3, 0, "2 00:00:00") +
      B("\x03\x02\x0E\x00\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40", 18) +
      B("\x0A\x00\x00\x00", 4);
  EXPECT_EQ(out.str(), expected);
}

TEST(BrowserExport, SavesAreCheckedAfterClosing) {
  QTemporaryDir tmp;
  const ChartData d = Sample();
  ExportSource src{d, AxisMode::RecordTime, {}, {}, {}, {}};
  const std::filesystem::path ok = tmp.path().toStdString() + "/out.TXT";
  EXPECT_EQ(SaveBrowserText(src, ok), SaveResult::Saved);
  EXPECT_EQ(SaveBrowserXls(src, tmp.path().toStdString() + "/out.XLS"), SaveResult::Saved);
  EXPECT_EQ(SaveBrowserText(src, tmp.path().toStdString() + "/no/such/dir/x.TXT"),
            SaveResult::CannotCreate);
  // A file that is created but cannot take the data (full device).
  if (test::FileExists("/dev/full")) {
    EXPECT_EQ(SaveBrowserXls(src, "/dev/full"), SaveResult::WriteFailed);
  }

  struct Case {
    SaveResult result;
    bool korean;
    const char* text;
  };
  const Case cases[] = {
      {SaveResult::Saved, false, "Saved as /d/x.XLS"},
      {SaveResult::Saved, true, "/d/x.XLS으로 저장되었습니다."},
      {SaveResult::CannotCreate, false, "There are some errors"},
      {SaveResult::WriteFailed, true, "/d/x.XLS파일을 저장하는데 에러가 발생하였습니다."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SaveStatusText(c.result, QStringLiteral("/d/x.XLS"), c.korean), QString::fromUtf8(c.text));
}

TEST(BrowserExport, ExtensionReplacedWithinTheFileNameOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/u/run1", "/home/u/run1.XLS"},
      {"/home/u/run1.xls", "/home/u/run1.XLS"},
      {"/home/u/run1.old.txt", "/home/u/run1.old.XLS"},
      {"/data/v1.2/run1", "/data/v1.2/run1.XLS"},
      {"/data/v1.2/.hidden", "/data/v1.2/.hidden.XLS"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(WithExtension(QString::fromLatin1(in), QStringLiteral(".XLS")), QString::fromLatin1(out));
}

}  // namespace
}  // namespace tessar
