#include "acquisition/biff_writer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

#include "acquisition/thermocouple.h"
#include "test_support.h"

namespace tessar {
namespace {

std::string B(const char* bytes, std::size_t n) { return std::string(bytes, n); }

TEST(BiffWriterTest, GoldenBytesOfEveryRecordKind) {
  std::ostringstream out;
  BiffWriter w(out);
  w.Begin();
  w.Label(0, 0, std::string_view("Kiln"));
  w.Label(1, 2, QString::fromUtf8("통"));   // C5 EB in CP949
  w.Number(2, 1, 1.5);
  w.Value(3, 9, NoDataValue);               // no data: the label "*"
  w.Value(65536 + 4, 1, -2.0);              // 16-bit rows wrap
  w.End();

  const std::string expected =
      B("\x09\x08\x08\x00" "\x00\x00\x10\x00\x01\x00\x00\x00", 12) +
      B("\x42\x00\x02\x00" "\xB5\x03", 6) +  // code page 949: the texts are CP949
      B("\x04\x02\x0C\x00" "\x00\x00\x00\x00\x00\x00\x04\x00" "Kiln", 16) +
      B("\x04\x02\x0A\x00" "\x01\x00\x02\x00\x00\x00\x02\x00" "\xC5\xEB", 14) +
      B("\x03\x02\x0E\x00" "\x02\x00\x01\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\xF8\x3F", 18) +
      B("\x04\x02\x09\x00" "\x03\x00\x09\x00\x00\x00\x01\x00" "*", 13) +
      B("\x03\x02\x0E\x00" "\x04\x00\x01\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\x00\xC0", 18) +
      B("\x0A\x00\x00\x00", 4);
  EXPECT_EQ(out.str(), expected);
}

TEST(BiffWriterTest, OverlongLabelIsCutToFitTheLengthFieldWithoutSplittingACharacter) {
  struct Case {
    std::string text;
    std::size_t stored;
  };
  const std::string korean = "\xC7\xD1";  // one double-byte character
  const Case cases[] = {
      {std::string(kBiffMaxLabelBytes, 'x'), kBiffMaxLabelBytes},
      {std::string(kBiffMaxLabelBytes + 5, 'x'), kBiffMaxLabelBytes},
      // The last character would straddle the limit: it is left out whole.
      {std::string(kBiffMaxLabelBytes - 1, 'x') + korean, kBiffMaxLabelBytes - 1},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    BiffWriter(out).Label(0, 0, c.text);
    const std::string b = out.str();
    ASSERT_EQ(b.size(), 4 + 8 + c.stored);
    const std::size_t length = static_cast<unsigned char>(b[2]) | static_cast<unsigned char>(b[3]) << 8;
    const std::size_t textLength =
        static_cast<unsigned char>(b[10]) | static_cast<unsigned char>(b[11]) << 8;
    EXPECT_EQ(length, 8 + c.stored);
    EXPECT_EQ(textLength, c.stored);
  }
}

// LibreOffice reads the texts as the Korean they are, not as Latin-1.
TEST(BiffWriterTest, SpreadsheetProgramShowsKoreanTexts) {
  const std::string soffice = "/usr/bin/soffice";
  if (!test::FileExists(soffice)) GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is not installed";
  QTemporaryDir tmp;
  const std::string dir = tmp.path().toStdString();
  {
    std::ofstream file(dir + "/sheet.xls", std::ios::binary);
    BiffWriter w(file);
    w.Begin();
    w.Label(0, 0, QString::fromUtf8("온도 시험"));
    w.Label(0, 1, std::string_view("\xC3\xD6\xB4\xEB"));  // CP949 bytes as the live export stores them
    w.Value(1, 0, 21.5);
    w.Value(1, 1, NoDataValue);
    w.End();
  }
  // A profile of its own, so that parallel runs do not share one.
  const test::ProcessResult r = test::RunProcess(
      soffice,
      {QStringLiteral("-env:UserInstallation=file://") + tmp.path() + QStringLiteral("/profile"),
       "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir",
       tmp.path(), tmp.path() + "/sheet.xls"},
      120000);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::FileText(dir + "/sheet.csv"), "온도 시험,최대\n21.5,*\n");
}

}  // namespace
}  // namespace tessar
