#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sstream>

#include "acquisition/thermocouple.h"
#include "browser/record_csv.h"
#include "common/date_time.h"
#include "record_files.h"
#include "test_support.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

TEST(RecordsCsv, FieldsQuotedOnlyWhereNeeded) {
  const std::pair<std::string, std::string> cases[] = {
      {"Inlet", "Inlet"},     {"a,b", "\"a,b\""},      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""}, {"", ""}, {"온도", "온도"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CsvField(in), out);

  ChartData d;
  d.channelCount = 2;
  d.titles[0] = QStringLiteral(" T,1 ");
  d.titles[1] = QString::fromUtf8("온도");
  const double start = EncodeDateTime({2026, 12, 8, 14, 0, 0});
  const double a[2] = {0.1, NoDataValue};
  const double b[2] = {-1e-300, 21.5};
  d.Add(start + 1.5 / 86400, a);
  d.Add(start + 1 + 5.0 / 86400, b);
  std::ostringstream out;
  WriteRecordsCsv(d, start, out);
  EXPECT_EQ(out.str(),
            "time,elapsed_s,\"T,1\",온도\r\n"
            "2026-12-08T14:00:01.500,1.500,0.1,\r\n"
            "2026-12-09T14:00:05.000,86405.000,-1e-300,21.5\r\n");
}

// The program end to end: info, the three exports, and its failures.
TEST(RecordsTool, InfoExportsAndFailures) {
  QTemporaryDir tmp;
  const fs::path dir = tmp.path().toStdString();
  const double start = EncodeDateTime({2026, 12, 8, 14, 0, 0});
  test::RecordFileShape shape{1, "", {"Kiln", "Firing", "x", "degC"}, {"In", "Out"}, "A30007", start};
  const fs::path first = dir / "140000.ORV", second = dir / "150000.ORV";
  test::WriteFile(first, test::RecordHeaderBytes(shape) + test::RecordsBytes(1, start, 4));
  test::WriteFile(second, test::RecordHeaderBytes(shape) + test::RecordsBytes(1, start, 2, 3600) + "torn");
  fs::permissions(first, fs::perms::owner_read | fs::perms::group_read);  // archived read-only

  const std::string tool = test::BinPath("tessar-records");
  auto run = [&](const QStringList& args) { return test::RunProcess(tool, args); };
  auto q = [](const fs::path& p) { return QString::fromStdString(p.string()); };

  const test::ProcessResult info = run({"info", q(first), q(second)});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("layout: unversioned, 7 channels"), std::string::npos);
  EXPECT_NE(info.out.find("record title: Kiln"), std::string::npos);
  EXPECT_NE(info.out.find("channel 1: Out"), std::string::npos);
  EXPECT_NE(info.out.find("serial number: A30007"), std::string::npos);
  EXPECT_NE(info.out.find("start: 2026-12-08 14:00:00"), std::string::npos);
  EXPECT_NE(info.out.find("records: 4"), std::string::npos);
  EXPECT_NE(info.out.find("records: 2"), std::string::npos);  // the torn record is not counted

  const fs::path csv = dir / "out.csv";
  const test::ProcessResult e =
      run({"export", "--csv", q(csv), q(first), q(dir / "missing.ORV"), q(second), "--subsample", "2"});
  EXPECT_EQ(e.exitCode, 0) << e.err;
  EXPECT_EQ(test::FileText(csv),
            "time,elapsed_s,In,Out,N2,N3,N4,N5,N6\r\n"
            "2026-12-08T14:00:01.000,1.000,100,101,102,103,104,105,106\r\n"
            "2026-12-08T14:00:03.000,3.000,300,301,302,303,304,305,306\r\n"
            "2026-12-08T15:00:01.000,3601.000,360100,360101,360102,360103,360104,360105,360106\r\n");

  // --txt and --xls write the browser's files: same bytes as its writers.
  for (const char* format : {"--txt", "--xls"}) {
    const fs::path out = dir / (std::string("out") + format + ".bin");
    EXPECT_EQ(run({"export", format, q(out), q(first)}).exitCode, 0);
    const std::string bytes = test::FileText(out);
    ASSERT_FALSE(bytes.empty());
    if (std::string(format) == "--txt") {
      EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), "Firing # degC # 2026-12-08 14:00:00\r\n");
    } else {
      EXPECT_EQ(bytes.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
      EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\x0A\x00\x00\x00", 4));
    }
  }

  // Failures: a message, a non-zero exit and no output file.
  test::WriteFile(dir / "junk.ORV", std::string(600, 'j'));
  const QStringList failing[] = {
      {"export", "--csv", q(dir / "f1.csv"), q(dir / "junk.ORV")},
      {"export", "--csv", q(dir / "f2.csv"), q(dir / "missing.ORV")},
      {"export", "--csv", q(dir / "f3.csv"), q(first), q(dir)},
      {"export", "--csv", q(dir / "f4.csv"), q(first), "--subsample", "x"},
      {"export", "--pdf", q(dir / "f5.csv"), q(first)},
      {"export", "--csv", q(dir / "none" / "f6.csv"), q(first)},
      {"info", q(dir / "junk.ORV")},
      {"frobnicate"},
  };
  for (const QStringList& args : failing) {
    const test::ProcessResult r = run(args);
    EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
    EXPECT_FALSE(r.err.empty()) << args.join(' ').toStdString();
  }
  for (const char* name : {"f1.csv", "f2.csv", "f3.csv", "f4.csv", "f5.csv", "f6.csv"})
    EXPECT_FALSE(fs::exists(dir / name)) << name;
  EXPECT_FALSE(fs::exists(dir / "f1.csv.partial"));
}

}  // namespace
}  // namespace tessar
