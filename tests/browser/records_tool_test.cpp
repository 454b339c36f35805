#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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


class RecordsToolTest : public ::testing::Test {
 protected:
  static constexpr double kStart = 46364.5;  // 2026-12-08 12:00:00
  fs::path Dir() const { return fs::path(tmp_.path().toStdString()); }
  static QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }
  // A versioned recording of `count` records of one-second steps from the
  // `first`-th second after `start`.
  fs::path Recording(const std::string& name, const std::string& serial, double start, int count,
                     int first = 0, int kind = 3) {
    test::RecordFileShape shape{kind, "2.0.2", {"Job", "Chart", "Note", "degC"}, {}, serial, start};
    return Put(name, test::RecordHeaderBytes(shape) + test::RecordsBytes(kind, start, count, first));
  }
  fs::path Put(const std::string& name, const std::string& bytes) {
    test::WriteFile(Dir() / name, bytes);
    return Dir() / name;
  }
  test::ProcessResult Run(const QStringList& args) {
    return test::RunProcess(test::BinPath("tessar-records"), args);
  }
  // Whether a temporary output file was left anywhere in the folder.
  bool PartialLeft() const {
    for (const auto& e : fs::directory_iterator(Dir()))
      if (e.path().extension() == ".partial") return true;
    return false;
  }
  // The first `fields` fields of every line of a CSV text.
  static std::vector<std::string> Fields(const std::string& csv, int fields) {
    std::vector<std::string> lines;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
      std::size_t end = 0;
      for (int i = 0; i < fields && end != std::string::npos; ++i) end = line.find_first_of(",\r", end + (i > 0));
      lines.push_back(line.substr(0, end));
    }
    return lines;
  }
  QTemporaryDir tmp_;
};

// OUT never replaces an input or a recording: refused, exit 2, nothing written.
TEST_F(RecordsToolTest, OutThatWouldReplaceAnInputOrARecordingIsRefused) {
  const fs::path a = Recording("100000.ORV", "A40001", kStart, 3);
  const fs::path b = Recording("110000.ORV", "A40001", kStart, 2, 3600);
  const fs::path keep = Recording("keep.ORV", "A40002", kStart, 1);
  fs::create_symlink(keep, Dir() / "link.ORV");
  fs::create_hard_link(a, Dir() / "hard.ORV");
  struct Case {
    const char* what;
    QStringList args;
    fs::path kept;  // must be as before (or still missing)
  };
  const Case cases[] = {
      {"OUT forgotten: the first recording taken as OUT", {"export", "--csv", Q(a), Q(b)}, a},
      {"OUT spelt another way", {"export", "--txt", Q(Dir() / "." / "110000.ORV"), Q(a), Q(b)}, b},
      {"a hard link of an input", {"export", "--csv", Q(Dir() / "hard.ORV"), Q(a)}, a},
      {"a missing input's name", {"export", "--csv", Q(Dir() / "gone.ORV"), Q(a), Q(Dir() / "gone.ORV")},
       Dir() / "gone.ORV"},
      {"a recording that is no input", {"export", "--xls", Q(keep), Q(a)}, keep},
      {"a symbolic link to a recording", {"export", "--csv", Q(Dir() / "link.ORV"), Q(a)}, keep},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool existed = fs::exists(c.kept);
    const std::string before = existed ? test::FileText(c.kept) : "";
    const test::ProcessResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(fs::exists(c.kept), existed);
    if (existed) {
      EXPECT_EQ(test::FileText(c.kept), before);
    }
    EXPECT_TRUE(fs::is_symlink(Dir() / "link.ORV"));
    EXPECT_FALSE(PartialLeft());
  }
}

// Only a regular OUT is replaced (through a temporary file); "-", a pipe, a
// FIFO, a device and a symbolic link's target are written as they are.
TEST_F(RecordsToolTest, OutThatIsNoRegularFileIsWrittenThrough) {
  const fs::path a = Recording("100000.ORV", "A40001", kStart, 3);
  ASSERT_EQ(Run({"export", "--csv", Q(Dir() / "plain.csv"), Q(a)}).exitCode, 0);
  const std::string csv = test::FileText(Dir() / "plain.csv");
  ASSERT_EQ(Fields(csv, 1).size(), 4u);

  test::WriteFile(Dir() / "target.csv", "old");
  fs::create_symlink("target.csv", Dir() / "link.csv");
  fs::create_symlink("made.csv", Dir() / "dangling.csv");
  ASSERT_EQ(::mkfifo((Dir() / "fifo").c_str(), 0600), 0);
  const int fifo = ::open((Dir() / "fifo").c_str(), O_RDONLY | O_NONBLOCK);  // a reader waits
  ASSERT_GE(fifo, 0);
  // A character device of our own (root only), so that no system one is at stake.
  const bool device = ::mknod((Dir() / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;

  struct Case {
    const char* what;
    fs::path out;
    fs::file_type type;  // of OUT itself afterwards
    fs::path holds;      // the file that holds the CSV afterwards; empty: standard output
  };
  std::vector<Case> cases = {
      {"standard output", "-", fs::file_type::not_found, {}},
      {"a pipe by its name", "/proc/self/fd/1", fs::file_type::symlink, {}},
      {"a symbolic link", Dir() / "link.csv", fs::file_type::symlink, Dir() / "target.csv"},
      {"a dangling symbolic link", Dir() / "dangling.csv", fs::file_type::symlink, Dir() / "made.csv"},
      {"a FIFO", Dir() / "fifo", fs::file_type::fifo, {}},
  };
  if (device) cases.push_back({"a character device", Dir() / "null", fs::file_type::character, {}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const test::ProcessResult r = Run({"export", "--csv", Q(c.out), Q(a)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    if (c.out != "-") {
      EXPECT_EQ(fs::symlink_status(c.out).type(), c.type);
    }
    if (!c.holds.empty()) {
      EXPECT_EQ(test::FileText(c.holds), csv);
    } else if (c.type == fs::file_type::fifo) {
      std::string got(csv.size() + 1, '\0');
      got.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fifo, got.data(), got.size()))));
      EXPECT_EQ(got, csv);
    } else if (c.type != fs::file_type::character) {
      EXPECT_EQ(r.out, csv);
    }
  }
  ::close(fifo);
  EXPECT_FALSE(PartialLeft());
  EXPECT_FALSE(fs::exists("-"));
}

// Cell rows are 16-bit: a sheet holds two title rows and 65,534 records.
TEST_F(RecordsToolTest, XlsThatWouldOverrunItsRowsIsRefusedBeforeWriting) {
  const fs::path big = Recording("100000.ORV", "A40001", kStart, 65534);
  const fs::path one = Recording("120000.ORV", "A40001", kStart, 1, 70000);
  struct Case {
    const char* what;
    QStringList files;
    int exit;
  };
  const Case cases[] = {
      {"65,534 records fill the sheet", {Q(big)}, 0},
      {"one more is refused", {Q(big), Q(one)}, 2},
      {"subsampled, they fit", {Q(big), Q(one), "--subsample", "2"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path out = Dir() / "out.xls";
    fs::remove(out);
    const test::ProcessResult r = Run(QStringList{"export", "--xls", Q(out)} + c.files);
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    if (c.exit == 0) {
      const std::string bytes = test::FileText(out);
      ASSERT_GT(bytes.size(), 22u);
      // the last number cell before EOF: row 65535 for the full sheet
      const std::string lastRow = bytes.substr(bytes.size() - 22, 6);
      if (c.files.size() == 1) {
        EXPECT_EQ(lastRow, std::string("\x03\x02\x0E\x00\xFF\xFF", 6));
      }
    } else {
      EXPECT_FALSE(fs::exists(out));
      EXPECT_NE(r.err.find("--subsample"), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("--csv"), std::string::npos) << r.err;
    }
  }
  EXPECT_EQ(Run({"export", "--csv", Q(Dir() / "out.csv"), Q(big), Q(one)}).exitCode, 0);  // no such limit
}

// Missing and empty files are skipped wherever they stand, each said on
// standard error; the first file that reads decides.
TEST_F(RecordsToolTest, MissingEmptyAndForeignFilesAreSkippedWhereverTheyStand) {
  const fs::path good1 = Recording("100000.ORV", "A40001", kStart, 2);
  const fs::path good2 = Recording("110000.ORV", "A40001", kStart, 1, 3600);
  const fs::path empty = Put("105000.ORV", "");
  const fs::path junk = Put("junk.ORV", std::string(600, 'j'));
  const fs::path missing = Dir() / "missing.ORV";
  struct Case {
    const char* what;
    std::vector<fs::path> files;
    int exit;
    std::size_t lines;  // of the CSV, its header included
  };
  const Case cases[] = {
      {"an empty first file", {empty, good1}, 0, 3},
      {"a missing first file", {missing, good2, good1}, 0, 4},
      {"between and after", {good1, missing, empty, good2, empty}, 0, 4},
      {"missing, empty and foreign before the one that reads", {missing, empty, junk, good2}, 0, 2},
      {"nothing that reads", {missing, empty, junk}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path out = Dir() / "out.csv";
    fs::remove(out);
    QStringList args{"export", "--csv", Q(out)};
    for (const fs::path& f : c.files) args << Q(f);
    const test::ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    EXPECT_EQ(fs::exists(out), c.exit == 0);
    if (c.exit == 0) {
      EXPECT_EQ(Fields(test::FileText(out), 1).size(), c.lines);
    }
    for (const fs::path& f : c.files) {
      if (f == missing || f == empty || f == junk) {
        EXPECT_NE(r.err.find(f.string() + ": skipped"), std::string::npos) << r.err;
      }
    }
  }
}

// A damaged record (its time no date-time) is counted by info and export and
// never exported.
TEST_F(RecordsToolTest, DamagedRecordsAreCountedAndLeftOut) {
  const std::string header = test::RecordHeaderBytes({3, "2.0.2", {"J", "C", "N", "Y"}, {}, "A4", kStart});
  const fs::path f = Put("100000.ORV", header + test::RecordsBytes(3, kStart, 2) + std::string(80, '\xFF') +
                                           test::RecordBytes(3, 1e300, {}) + test::RecordsBytes(3, kStart, 1, 2));
  const test::ProcessResult info = Run({"info", Q(f)});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_NE(info.out.find("  records: 5\n  damaged records: 2\n"), std::string::npos) << info.out;
  const test::ProcessResult e = Run({"export", "--csv", "-", Q(f)});
  EXPECT_EQ(e.exitCode, 0);
  EXPECT_EQ(Fields(e.out, 2), (std::vector<std::string>{"time,elapsed_s", "2026-12-08T12:00:00.000,0.000",
                                                        "2026-12-08T12:00:01.000,1.000",
                                                        "2026-12-08T12:00:02.000,2.000"}));
  EXPECT_EQ(e.out.find("nan"), std::string::npos);
  EXPECT_NE(e.err.find("100000.ORV: 2 damaged records skipped"), std::string::npos) << e.err;
}

// Files are taken in the order of their start times, elapsed_s counting
// from the earliest; one board per table unless --allow-mixed, which adds
// a board column.
TEST_F(RecordsToolTest, FilesInTheOrderOfTheirStartsAndOfOneBoard) {
  const fs::path late = Recording("late.ORV", "A40001", kStart + 1, 1);      // a run a day later
  const fs::path hour2 = Recording("hour2.ORV", "A40001", kStart, 1, 3600);  // the run's second hour
  const fs::path hour1 = Recording("hour1.ORV", "A40001", kStart, 1);
  const fs::path old9 = Recording("old9.ORV", "A40001", kStart, 1, 7200, 2);  // the older layout, same board
  const fs::path other = Recording("other.ORV", "A40002", kStart - 1, 1);
  const fs::path seven = Recording("seven.ORV", "A30001", kStart, 1, 10);
  struct Case {
    const char* what;
    QStringList args;
    int exit;
    int fields;
    std::vector<std::string> lines;  // first fields of the CSV lines
    std::vector<std::string> err;    // texts standard error holds
  };
  const Case cases[] = {
      {"given out of order",
       {"--csv", "-", Q(late), Q(hour2), Q(hour1)}, 0, 2,
       {"time,elapsed_s", "2026-12-08T12:00:00.000,0.000", "2026-12-08T13:00:00.000,3600.000",
        "2026-12-09T12:00:00.000,86400.000"}, {}},
      {"the older layout of the same board", {"--csv", "-", Q(old9), Q(hour1)}, 0, 2,
       {"time,elapsed_s", "2026-12-08T12:00:00.000,0.000", "2026-12-08T14:00:00.000,7200.000"}, {}},
      {"the earliest file's start heads the text file", {"--txt", "-", Q(hour2), Q(late), Q(hour1)}, 0, 1,
       {"Chart # degC # 2026-12-08 12:00:00"}, {}},
      {"another serial number", {"--csv", "-", Q(hour1), Q(other)}, 2, 0, {},
       {"other.ORV and " + hour1.string(), "different boards", "--allow-mixed"}},
      {"another channel layout", {"--xls", Q(Dir() / "x.xls"), Q(hour1), Q(seven)}, 2, 0, {},
       {"hour1.ORV and " + seven.string(), "7 channels"}},
      {"mixed on request", {"--csv", "-", Q(hour1), Q(other), Q(seven), "--allow-mixed"}, 0, 5,
       {"time,elapsed_s,board,N0,N1", "2026-12-07T12:00:00.000,0.000,A40002,0,1",
        "2026-12-08T12:00:00.000,86400.000,A40001,0,1", "2026-12-08T12:00:10.000,86410.000,A30001,1000,1001"},
       {}},
      {"one board on request: the board column all the same", {"--csv", "-", "--allow-mixed", Q(hour1)}, 0, 3,
       {"time,elapsed_s,board", "2026-12-08T12:00:00.000,0.000,A40001"}, {}},
      {"mixed only into CSV", {"--xls", Q(Dir() / "x.xls"), Q(hour1), "--allow-mixed"}, 2, 0, {}, {"--csv"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const test::ProcessResult r = Run(QStringList{"export"} + c.args);
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    if (!c.lines.empty()) {
      std::vector<std::string> lines = Fields(r.out, c.fields);
      if (c.fields == 1) lines.resize(1);
      EXPECT_EQ(lines, c.lines);
    }
    for (const std::string& text : c.err) EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(Dir() / "x.xls"));
  EXPECT_NE(Run({"--help"}).out.find("in the order of their start times"), std::string::npos);
}

}  // namespace
}  // namespace tessar
