// The logger as a user runs it: orva-sim streams known temperatures on four
// pseudo-terminal ports, tessar (offscreen) reads them for some seconds, and
// the recording files it leaves on disk are read back.
#include <gtest/gtest.h>

#include <signal.h>

#include <QProcessEnvironment>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/recording_file.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "e2e_harness.h"
#include "test_support.h"
#include "wait.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

constexpr double kNoData = -0.0001112;
constexpr double kOpen = 1e300;  // marks an open input in the tables below

// One simulated device and the board that reads it.
struct BoardCase {
  char letter;
  int port;
  const char* model;
  int sensorType;          // index into "VKRJSTABZ"
  const char* simLetters;  // sensor letters the device reports, or nullptr for all K
  int sampleInterval;
  const char* serial;
  const char* expectedSerial;  // as the header holds it: at most 11 characters
  std::array<double, kSlotCount> signal;    // what the device is told (kOpen: open input)
  std::array<double, kSlotCount> expected;  // what the records must hold
};

// Slot 0 is the cold junction in degC, or channel 0 in mV on the mV board.
// Channels the model lacks, and open inputs, hold the "no data" value.
const BoardCase kBoards[] = {
    {'A', 1, "ORVA-2100", 1, nullptr, 1, "A00001", "A00001",
     {24.0, 21.5, -15.25, 99.0, kOpen, 250.0, 0.0, kOpen, kOpen},
     {24.0, 21.5, -15.25, 99.0, kNoData, 250.0, 0.0, kNoData, kNoData}},
    {'B', 2, "ORVA-2200", 3, "JJJJ", 2, "A00002", "A00002",
     {22.5, 30.0, kOpen, -40.0, 480.0, kOpen, kOpen, kOpen, kOpen},
     {22.5, 30.0, kNoData, -40.0, 480.0, kNoData, kNoData, kNoData, kNoData}},
    {'C', 3, "ORVA-2280", 1, nullptr, 1, "A00003", "A00003",
     {27.0, 10.0, 20.5, 31.0, 42.25, kOpen, 65.0, 78.5, 1000.0},
     {27.0, 10.0, 20.5, 31.0, 42.25, kNoData, 65.0, 78.5, 1000.0}},
    // a mV board: readings below 5 mV show 0
    {'D', 4, "ORVA-2000", 0, "VVVVVVV", 3, "SN-0123456789X", "SN-01234567",
     {12.0, 7.5, 55.125, kOpen, 3.0, -2.0, 70.0, kOpen, kOpen},
     {12.0, 7.5, 55.125, kNoData, 0.0, 0.0, 70.0, kNoData, kNoData}},
};

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);  // C locale in tests
  return text;
}

QStringList SimulatorArguments(const std::string& portsDirectory) {
  QStringList args{"--dir", QString::fromStdString(portsDirectory)};
  for (const BoardCase& b : kBoards) {
    args << "--device" << QString("COM%1").arg(b.port) << "--model" << b.model << "--serial"
         << b.serial;
    if (b.simLetters) args << "--letters" << b.simLetters;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const double v = b.signal[slot];
      args << "--signal"
           << QString::fromStdString(std::to_string(slot) + "=" +
                                     (v == kOpen ? std::string("open") : "constant:" + Number(v)));
    }
  }
  return args;
}

// The records as "Get Configure" would store them from these devices, plus
// the run's choices.
QStringList SettingsAssignments(const std::string& dataDirectory) {
  QStringList a{"A.englishUi=1", "A.noteText=end-to-end note"};
  for (const BoardCase& b : kBoards) {
    const QString p = QString(QChar(b.letter)) + ".";
    const bool kind0 = ModelKindOf(b.model, std::strlen(b.model) + 1) == 0;
    a << p + QString("portNumber=%1").arg(b.port) << p + "modelName=" + b.model
      << p + "serialNumber=" + b.serial << p + QString("boardSensorType=%1").arg(b.sensorType)
      << p + QString("sampleInterval=%1").arg(b.sampleInterval)
      << p + "dataDirectory=" + QString::fromStdString(dataDirectory)
      << p + "jobTitle=job " + QChar(b.letter) << p + "channelName[1]=first of " + QChar(b.letter);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      a << p + QString("channelSensorType[%1]=%2").arg(slot).arg(b.sensorType);
      // no alarm from the hot channels: the run stays quiet
      a << p + QString("alarmHigh[%1]=2000").arg(slot);
    }
    // kind 0: the cold junction on its 1250 mV range against a 2.5 V reference
    if (kind0) a << p + "channelRangeMv[0]=1250" << p + "refVoltage=2.5";
  }
  a << "D.yAxisTitle=Voltage (mV)";
  return a;
}

struct RecordingFile {
  fs::path path;
  RecordingHeader header{};
  std::vector<RecordingRecord> records;
  std::size_t size = 0;
};

std::vector<RecordingFile> ReadBoardFiles(const std::string& dataDirectory, char letter) {
  std::vector<RecordingFile> files;
  std::error_code ec;
  for (const auto& day : fs::directory_iterator(dataDirectory, ec)) {
    const fs::path board = day.path() / std::string(1, letter);
    if (!fs::is_directory(board)) continue;
    for (const auto& entry : fs::directory_iterator(board, ec)) {
      if (entry.path().extension() != ".ORV") continue;
      RecordingFile file;
      file.path = entry.path();
      const std::vector<unsigned char> bytes = ReadBytes(entry.path().string());
      file.size = bytes.size();
      if (bytes.size() >= kRecordingHeaderSize) {
        std::memcpy(&file.header, bytes.data(), kRecordingHeaderSize);
        for (std::size_t at = kRecordingHeaderSize; at + kRecordingRecordSize <= bytes.size();
             at += kRecordingRecordSize) {
          RecordingRecord r;
          std::memcpy(&r, bytes.data() + at, kRecordingRecordSize);
          file.records.push_back(r);
        }
      }
      files.push_back(file);
    }
  }
  // day folders and file names are fixed-width digits: path order is time order
  std::sort(files.begin(), files.end(),
            [](const RecordingFile& x, const RecordingFile& y) { return x.path < y.path; });
  return files;
}

std::size_t RecordCount(const std::string& dataDirectory, char letter) {
  std::size_t n = 0;
  for (const RecordingFile& f : ReadBoardFiles(dataDirectory, letter)) n += f.records.size();
  return n;
}

std::string Text(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

std::string DayName(double t) {
  const CalendarTime c = DecodeDateTime(t);
  char text[16];
  std::snprintf(text, sizeof text, "%d%02d%02d", c.year, c.month, c.day);
  return text;
}

std::string FileName(double t) {
  const CalendarTime c = DecodeDateTime(t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d.ORV", c.hour, c.minute, c.second);
  return text;
}

}  // namespace

TEST(RecordingEndToEnd, FourModelsRecordTheirTemperaturesEverySampleInterval) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const std::string settings = install.BinDirectory() + "/tessar.SET";
  const std::string data = install.DataDirectory();
  ASSERT_LE(data.size(), 80u) << "the data directory must fit its settings field";

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", QString::fromStdString(install.Root()));  // nothing lands in the real home

  ChildProcess sim(BinPath("orva-sim"), SimulatorArguments(install.PortsDirectory()), env,
                   QString::fromStdString(install.Root()));
  ASSERT_TRUE(sim.Started());
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();

  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings)})
                .exitCode,
            0);
  const ProcessResult set = RunProcess(
      BinPath("tessar-settings"),
      QStringList{"set", QString::fromStdString(settings)} + SettingsAssignments(data));
  ASSERT_EQ(set.exitCode, 0) << set.err;

  const double before = Now();
  ChildProcess tessar(install.ProgramPath(), {}, env, QString::fromStdString(install.Root()));
  ASSERT_TRUE(tessar.Started());

  // Until board A has nine records: board B (every second tick) then has
  // about five, board D (every third) about three.
  EXPECT_TRUE(WaitUntil([&] { return RecordCount(data, 'A') >= 9 || !tessar.Running(); }, 25000));
  ASSERT_TRUE(tessar.Running()) << "tessar ended by itself\n" << tessar.Errors();
  EXPECT_TRUE(tessar.Terminate(5000)) << "tessar did not end on SIGTERM";
  const double after = Now();
  EXPECT_TRUE(sim.Terminate(5000));
  EXPECT_TRUE(sim.WaitForLine("stopped", 1000));
  std::error_code ec;
  EXPECT_FALSE(fs::is_symlink(install.PortsDirectory() + "/COM1", ec)) << "orva-sim removes its links";

  EXPECT_FALSE(FileExists(install.BinDirectory() + "/Exception1.Err"))
      << ReadBytes(install.BinDirectory() + "/Exception1.Err").size() << " bytes of errors";

  std::map<char, std::size_t> counts;
  std::map<char, double> spacing;  // mean seconds between records
  for (const BoardCase& b : kBoards) {
    SCOPED_TRACE(std::string("board ") + b.letter);
    const std::vector<RecordingFile> files = ReadBoardFiles(data, b.letter);
    ASSERT_FALSE(files.empty()) << "no recording of board " << b.letter;
    // one file per clock hour: two only when the run crossed an hour
    ASSERT_LE(files.size(), 2u);

    std::vector<RecordingRecord> all;
    const double runStart = files.front().header.startTime;
    for (const RecordingFile& f : files) {
      SCOPED_TRACE(f.path.string());
      EXPECT_EQ((f.size - kRecordingHeaderSize) % kRecordingRecordSize, 0u);
      ASSERT_FALSE(f.records.empty());
      const RecordingHeader& h = f.header;
      EXPECT_EQ(std::memcmp(h.version, "2.0.2\0", 6), 0);
      EXPECT_EQ(std::string(h.reserved, 5), std::string(5, '\0'));
      EXPECT_EQ(Text(h.jobTitle, kLongTextSize), std::string("job ") + b.letter);
      EXPECT_EQ(Text(h.chartTitle, kLongTextSize), "Data Chart");
      EXPECT_EQ(Text(h.noteText, kLongTextSize), b.letter == 'A' ? "end-to-end note" : "");
      EXPECT_EQ(Text(h.yAxisTitle, kLongTextSize),
                b.letter == 'D' ? "Voltage (mV)" : "Temperature (C)");
      EXPECT_EQ(Text(h.channelName[0], kShortTextSize), std::string(1, b.letter) + "-0       ");
      EXPECT_EQ(Text(h.channelName[1], kShortTextSize), std::string("first of ") + b.letter);
      EXPECT_EQ(Text(h.serialNumber, kSerialNumberFieldSize), b.expectedSerial);
      EXPECT_EQ(h.startTime, runStart) << "every file of a run names the run's start";
      // the file is named after its first record, in the day and board folder
      const double first = f.records.front().time;
      EXPECT_EQ(f.path.filename().string(), FileName(first));
      EXPECT_EQ(f.path.parent_path().filename().string(), std::string(1, b.letter));
      EXPECT_EQ(f.path.parent_path().parent_path().filename().string(), DayName(first));
      for (const RecordingRecord& r : f.records) {
        EXPECT_EQ(DecodeDateTime(r.time).hour, DecodeDateTime(first).hour);
      }
      all.insert(all.end(), f.records.begin(), f.records.end());
    }
    if (files.size() == 2) {
      EXPECT_NE(DecodeDateTime(files[1].records.front().time).hour,
                DecodeDateTime(files[0].records.back().time).hour)
          << "a new file only at a new clock hour";
    }
    // the first record is taken in the cycle that starts the run
    EXPECT_EQ(all.front().time, runStart);

    for (std::size_t i = 0; i < all.size(); ++i) {
      const RecordingRecord& r = all[i];
      EXPECT_GE(r.time, before - 2.0 / kSecondsPerDay);
      EXPECT_LE(r.time, after + 2.0 / kSecondsPerDay);
      if (i > 0) {
        EXPECT_GT(r.time, all[i - 1].time) << "record " << i;
      }
      for (int slot = 0; slot < kSlotCount; ++slot) {
        if (b.expected[slot] == kNoData) {
          EXPECT_EQ(r.values[slot], kNoData) << "record " << i << " slot " << slot;
        } else {
          EXPECT_NEAR(r.values[slot], b.expected[slot], 0.1) << "record " << i << " slot " << slot;
        }
      }
    }
    counts[b.letter] = all.size();
    if (all.size() > 1) {
      spacing[b.letter] =
          (all.back().time - all.front().time) * kSecondsPerDay / double(all.size() - 1);
    }
  }

  std::printf("records: A %zu, B %zu, C %zu, D %zu\n", counts['A'], counts['B'], counts['C'],
              counts['D']);
  // One record per sampleInterval ticks: boards on the same one-second tick,
  // a stop between two boards of one tick costs at most one record.
  ASSERT_GE(counts['A'], 6u);
  const auto near = [](std::size_t n, double expected) {
    return std::abs(double(n) - expected) <= 1.0;
  };
  EXPECT_TRUE(near(counts['C'], counts['A'])) << counts['C'] << " vs " << counts['A'];
  EXPECT_TRUE(near(counts['B'], std::ceil(counts['A'] / 2.0))) << counts['B'] << " vs " << counts['A'];
  EXPECT_TRUE(near(counts['D'], std::ceil(counts['A'] / 3.0))) << counts['D'] << " vs " << counts['A'];
  // The tick is a second or longer (a loaded machine delays it); the boards'
  // records are their sample intervals of one tick apart.
  EXPECT_GT(spacing['A'], 0.8);
  for (const BoardCase& b : kBoards) {
    if (!spacing.count(b.letter)) continue;
    EXPECT_GT(spacing[b.letter] / spacing['A'], 0.8 * b.sampleInterval) << b.letter;
    EXPECT_LT(spacing[b.letter] / spacing['A'], 1.4 * b.sampleInterval) << b.letter;
  }

  if (HasFailure()) {
    std::printf("--- orva-sim output\n%s\n--- tessar errors\n%s\n", sim.Output().c_str(),
                tessar.Errors().c_str());
  }
}

// Without a settings file the logger starts on its first configuration page:
// no port is opened, so no device is asked for frames, and nothing is recorded.
TEST(RecordingEndToEnd, FirstRunWithoutSettingsOpensNoPortAndRecordsNothing) {
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", QString::fromStdString(install.Root()));  // the default data directory

  ChildProcess sim(BinPath("orva-sim"),
                   {"--dir", QString::fromStdString(install.PortsDirectory()), "--device", "COM1",
                    "--model", "ORVA-2280"},
                   env, QString::fromStdString(install.Root()));
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();
  ChildProcess tessar(install.ProgramPath(), {}, env, QString::fromStdString(install.Root()));
  ASSERT_TRUE(tessar.Started());
  // The start sequence has run once the default data directory exists; the
  // orderly end comes after it. A command of ours behind anything the logger
  // sent: once orva-sim logs it, all was read.
  EXPECT_TRUE(WaitUntil([&] { return fs::is_directory(install.Root() + "/Tessar") || !tessar.Running(); }, 30000));
  ASSERT_TRUE(tessar.Running()) << tessar.Errors();
  EXPECT_TRUE(tessar.Terminate(5000));
  ASSERT_TRUE(WriteToDevice(install.PortsDirectory() + "/COM1", "XX\r"));
  EXPECT_TRUE(WaitUntil([&] { return sim.Output().find("COM1 unknown command XX") != std::string::npos; }));
  EXPECT_TRUE(sim.Terminate(5000));

  EXPECT_EQ(sim.Output().find(" DK"), std::string::npos) << sim.Output();
  std::size_t recordings = 0;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(install.Root(), ec)) {
    if (entry.path().extension() == ".ORV") ++recordings;
  }
  EXPECT_EQ(recordings, 0u);
  // the default data directory is made at start, in the user's home
  EXPECT_TRUE(fs::is_directory(install.Root() + "/Tessar"));
  // SIGTERM closes the window as Exit does: the first run's defaults are kept
  EXPECT_EQ(ReadBytes(install.BinDirectory() + "/tessar.SET").size(), sizeof(SettingsImage));
  EXPECT_FALSE(FileExists(install.BinDirectory() + "/Exception1.Err"));
}

namespace {

// An unattended logger's world: its program folder, settings and devices.
struct Unattended {
  Unattended() : install(BinPath("tessar")) {
    env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME"})
      env.remove(name);
    env.insert("HOME", QString::fromStdString(install.Root()));
  }
  QString Root() const { return QString::fromStdString(install.Root()); }
  std::string Settings() const { return install.BinDirectory() + "/tessar.SET"; }
  // tessar-settings init and set, with every board's data directory.
  bool Configure(QStringList assignments, std::string& error) {
    if (RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(Settings())}).exitCode != 0)
      return false;
    assignments << "A.englishUi=1" << "A.dataDirectory=" + QString::fromStdString(install.DataDirectory());
    const ProcessResult set = RunProcess(BinPath("tessar-settings"),
                                         QStringList{"set", QString::fromStdString(Settings())} + assignments);
    error = set.err;
    return set.exitCode == 0;
  }
  // One orva-sim device on COMn; its process id is written to `pidFile` when given.
  std::unique_ptr<ChildProcess> Device(int port, QStringList options, const std::string& pidFile = {}) {
    QStringList args{"--dir", QString::fromStdString(install.PortsDirectory()), "--device",
                     QString("COM%1").arg(port)};
    args << options;
    std::unique_ptr<ChildProcess> sim;
    if (pidFile.empty()) {
      sim = std::make_unique<ChildProcess>(BinPath("orva-sim"), args, env, Root());
    } else {
      sim = std::make_unique<ChildProcess>(
          "/bin/sh",
          QStringList{"-c", QString("echo $$ > '%1'; exec \"$0\" \"$@\"").arg(QString::fromStdString(pidFile)),
                      QString::fromStdString(BinPath("orva-sim"))} + args,
          env, Root());
    }
    EXPECT_TRUE(sim->WaitForLine("ready", 10000)) << sim->Output() << sim->Errors();
    return sim;
  }

  // `program` run with its standard error appended to journal(), as a
  // service manager keeps it (read while the program runs).
  std::unique_ptr<ChildProcess> Journaled(const QString& program, const QStringList& args,
                                          const QProcessEnvironment& environment) {
    return std::make_unique<ChildProcess>(
        "/bin/sh",
        QStringList{"-c", QString("exec \"$0\" \"$@\" 2>>'%1'").arg(QString::fromStdString(JournalPath())),
                    program} + args,
        environment, Root());
  }
  std::string JournalPath() const { return install.Root() + "/journal"; }
  std::string Journal() const { return FileText(JournalPath()); }

  PrivateInstall install;
  QProcessEnvironment env;
};

// Every recording file under `data`: a whole header and whole records whose
// times rise; returns the records of board `letter`.
std::size_t CheckedRecords(const std::string& data, char letter) {
  std::size_t records = 0;
  for (const RecordingFile& f : ReadBoardFiles(data, letter)) {
    SCOPED_TRACE(f.path.string());
    EXPECT_GE(f.size, kRecordingHeaderSize);
    EXPECT_EQ((f.size - kRecordingHeaderSize) % kRecordingRecordSize, 0u);
    EXPECT_EQ(std::memcmp(f.header.version, "2.0.2\0", 6), 0);
    for (std::size_t i = 1; i < f.records.size(); ++i) {
      EXPECT_GT(f.records[i].time, f.records[i - 1].time) << "record " << i;
    }
    records += f.records.size();
  }
  return records;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

// The headless logger on four devices meets the accidents of a long run: a
// device that falls silent, one unplugged and plugged in again under the
// same name, one absent at start, one of another model than its settings
// say, the data directory deleted, an alarm that comes and goes. It records
// on, in whole files under its own data directory, and its journal holds one
// line per event.
TEST(RecordingEndToEnd, AnUnattendedLoggerRidesOutTheAccidentsOfItsDevices) {
  Unattended world;
  ASSERT_TRUE(world.install.Ok()) << world.install.Error();
  const std::string data = world.install.DataDirectory();
  QStringList settings;
  for (char board : {'A', 'B', 'C', 'D'}) {
    const QString p = QString(QChar(board)) + ".";
    settings << p + QString("portNumber=%1").arg(board - 'A' + 1) << p + "modelName=ORVA-2280"
             << p + "boardSensorType=1";
    for (int slot = 0; slot < kSlotCount; ++slot) {
      settings << p + QString("channelSensorType[%1]=1").arg(slot)
               << p + QString("alarmHigh[%1]=2000").arg(slot);
    }
  }
  settings << "A.alarmEnabled[1]=1" << "A.alarmHigh[1]=40";
  std::string error;
  ASSERT_TRUE(world.Configure(settings, error)) << error;

  const std::string pidB = world.install.Root() + "/b.pid";
  // channel 1 of board A above 40 for three quarters of every 10 s
  auto simA = world.Device(1, {"--signal", "1=sine:60:30:10"});
  auto simB = world.Device(2, {}, pidB);
  auto simD = world.Device(4, {"--model", "ORVA-2100"});  // 56-byte frames on a 72-byte board
  const auto started = std::chrono::steady_clock::now();
  auto logger = world.Journaled(QString::fromStdString(world.install.ProgramPath()), {"--headless"},
                                world.env);
  ChildProcess& tessar = *logger;
  ASSERT_TRUE(tessar.Started());
  const auto journal = [&] { return world.Journal(); };
  const auto told = [&](const std::string& line) { return journal().find(line) != std::string::npos; };
  ASSERT_TRUE(WaitUntil([&] { return RecordCount(data, 'B') >= 3 || !tessar.Running(); }, 40000))
      << journal();

  // board B's device falls silent for a while
  const pid_t b = static_cast<pid_t>(std::stol(FileText(pidB)));
  ASSERT_EQ(kill(b, SIGSTOP), 0);
  EXPECT_TRUE(WaitUntil([&] { return told("tessar: Board B: COM2 has sent nothing for 10 s\n"); }, 20000))
      << journal();
  ASSERT_EQ(kill(b, SIGCONT), 0);
  EXPECT_TRUE(WaitUntil([&] { return told("tessar: Board B: COM2 sends again\n"); }, 10000)) << journal();

  // ... is unplugged, and plugged in again under the same name
  EXPECT_TRUE(simB->Terminate(5000));
  EXPECT_TRUE(WaitUntil([&] { return told("tessar: Board B: COM2 lost ("); }, 10000)) << journal();
  const std::size_t beforeReturn = RecordCount(data, 'B');
  simB = world.Device(2, {});
  EXPECT_TRUE(WaitUntil([&] { return RecordCount(data, 'B') > beforeReturn; }, 10000))
      << "no record within 10 s of the device's return\n" << journal();

  // board C's device, absent at start, turns up
  auto simC = world.Device(3, {});
  EXPECT_TRUE(WaitUntil([&] { return RecordCount(data, 'C') >= 1; }, 10000)) << journal();

  // the data directory is deleted: recording goes on there, made again
  std::error_code ec;
  fs::remove_all(data, ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_TRUE(WaitUntil([&] { return RecordCount(data, 'A') >= 2 && RecordCount(data, 'B') >= 2; }, 10000))
      << journal();
  // the alarm has come and gone at least twice
  EXPECT_TRUE(WaitUntil([&] { return Occurrences(journal(), "CH1 alarm ended") >= 2; }, 30000)) << journal();

  ASSERT_TRUE(tessar.Running()) << journal();
  EXPECT_TRUE(tessar.Terminate(15000));
  EXPECT_EQ(tessar.ExitCode(), 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string all = journal();
  SCOPED_TRACE(all);

  // one line per event, none per retry or per second
  EXPECT_EQ(Occurrences(all, "tessar: Board C: Failed in Opening Port COM3 ("), 1u);
  EXPECT_EQ(Occurrences(all, "tessar: Failed in Opening Port\n"), 0u);
  EXPECT_EQ(Occurrences(all, "tessar: Board B: COM2 lost ("), 1u);
  EXPECT_EQ(Occurrences(all, "tessar: COM2 was opened\n"), 2u);
  EXPECT_EQ(Occurrences(all, "tessar: COM3 was opened\n"), 1u);
  EXPECT_EQ(Occurrences(all, "tessar: Board B: COM2 has sent nothing"), 1u);
  EXPECT_EQ(Occurrences(all, "tessar: Board D: COM4 sends lines of 56 bytes, but its model "
                             "ORVA-2280 takes frames of 72: nothing is recorded\n"),
            1u);
  const std::size_t starts = Occurrences(all, "CH1 High Alarm(");
  const std::size_t ends = Occurrences(all, "CH1 alarm ended (");
  EXPECT_GE(starts, 2u);
  EXPECT_LE(starts, ends + 1);
  EXPECT_LE(ends, starts);
  // at most one start per period of the signal, not one line a second
  EXPECT_LE(starts, seconds / 10 + 2);

  for (char board : {'A', 'B', 'C'}) {
    SCOPED_TRACE(std::string("board ") + board);
    EXPECT_GE(CheckedRecords(data, board), 1u);
  }
  EXPECT_EQ(RecordCount(data, 'D'), 0u);
  // nothing recorded anywhere but under the data directory
  for (const auto& entry : fs::recursive_directory_iterator(world.install.Root(), ec)) {
    if (entry.path().extension() == ".ORV") {
      EXPECT_EQ(entry.path().string().rfind(data + "/", 0), 0u) << entry.path();
    }
  }
}

// A file-size limit (`ulimit -f`, as a full disk) fails the writes that do
// not fit: the logger is not killed, cuts the record back, says so once,
// and ends through its orderly shutdown.
TEST(RecordingEndToEnd, AFileSizeLimitFailsWritesWithoutTearingARecordOrKillingTheLogger) {
  Unattended world;
  ASSERT_TRUE(world.install.Ok()) << world.install.Error();
  const std::string data = world.install.DataDirectory();
  std::string error;
  ASSERT_TRUE(world.Configure({"A.portNumber=1", "A.modelName=ORVA-2280"}, error)) << error;
  const std::vector<unsigned char> settingsBefore = ReadBytes(world.Settings());
  auto sim = world.Device(1, {"--period", "250"});
  // room for the header, three records and half of a fourth
  const int limit = static_cast<int>(kRecordingHeaderSize + 3 * kRecordingRecordSize + 40);
  auto logger = world.Journaled("/usr/bin/prlimit",
                                {QString("--fsize=%1").arg(limit), "--",
                                 QString::fromStdString(world.install.ProgramPath()), "--headless"},
                                world.env);
  ChildProcess& tessar = *logger;
  ASSERT_TRUE(tessar.Started());
  ASSERT_TRUE(WaitUntil([&] {
    return world.Journal().find("tessar: Board A: cannot write ") != std::string::npos || !tessar.Running();
  }, 30000)) << world.Journal();
  ASSERT_TRUE(tessar.Running()) << "killed by the limit\n" << world.Journal();
  EXPECT_NE(world.Journal().find("(File too large); records are lost until it can\n"), std::string::npos)
      << world.Journal();
  EXPECT_TRUE(tessar.Terminate(15000));
  EXPECT_FALSE(tessar.CrashedOrSignalled());
  EXPECT_EQ(tessar.ExitCode(), 0);
  EXPECT_EQ(Occurrences(world.Journal(), "tessar: Board A: cannot write "), 1u) << world.Journal();
  EXPECT_EQ(CheckedRecords(data, 'A'), 3u);
  EXPECT_TRUE(sim->Terminate(5000));
  EXPECT_NE(sim->Output().find("COM1 relay P0"), std::string::npos) << "relays reset\n" << sim->Output();
  EXPECT_EQ(ReadBytes(world.Settings()), settingsBefore);
}

// At the end of daylight-saving time (faketime, Europe/Berlin) the clock
// goes from 02:59:59 back to 02:00:00: the records after it start a new
// file, so that time never runs backwards inside one.
TEST(RecordingEndToEnd, TheEndOfDaylightSavingTimeStartsANewFile) {
  Unattended world;
  ASSERT_TRUE(world.install.Ok()) << world.install.Error();
  const std::string data = world.install.DataDirectory();
  std::string error;
  ASSERT_TRUE(world.Configure({"A.portNumber=1", "A.modelName=ORVA-2280"}, error)) << error;
  auto sim = world.Device(1, {});
  // 2026-10-25 00:59:45 UTC is 02:59:45 summer time in Berlin
  const long offset = 1792889985L - static_cast<long>(std::time(nullptr));
  QProcessEnvironment env = world.env;
  env.insert("TZ", "Europe/Berlin");
  env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
  ChildProcess tessar("/usr/bin/faketime",
                      {"-f", QString("%1%2").arg(offset >= 0 ? "+" : "").arg(offset),
                       QString::fromStdString(world.install.ProgramPath()), "--headless"},
                      env, world.Root());
  ASSERT_TRUE(tessar.Started());
  // two files, the one of winter time (named first) with three records
  const auto files = [&] { return ReadBoardFiles(data, 'A'); };
  ASSERT_TRUE(WaitUntil([&] {
    const auto f = files();
    return (f.size() >= 2 && f.front().records.size() >= 3) || !tessar.Running();
  }, 40000)) << tessar.Errors();
  EXPECT_TRUE(tessar.Terminate(15000));
  const std::vector<RecordingFile> found = files();
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(found.front().path.parent_path().parent_path().filename(), "20261025");
  // path order: 0200xx.ORV (winter time) before 0259xx.ORV (summer time)
  EXPECT_EQ(found.front().path.filename().string().substr(0, 4), "0200");
  EXPECT_EQ(found.back().path.filename().string().substr(0, 4), "0259");
  EXPECT_LT(found.front().records.front().time, found.back().records.back().time);
  CheckedRecords(data, 'A');
}

// A relative data directory in the settings is taken in the program folder:
// where records go never depends on the working directory of the start.
TEST(RecordingEndToEnd, ARelativeDataDirectoryIsTakenInTheProgramFolder) {
  Unattended world;
  ASSERT_TRUE(world.install.Ok()) << world.install.Error();
  std::string error;
  ASSERT_TRUE(world.Configure({"A.portNumber=1", "A.modelName=ORVA-2280"}, error)) << error;
  ASSERT_EQ(RunProcess(BinPath("tessar-settings"),
                       {"set", QString::fromStdString(world.Settings()), "A.dataDirectory=records"})
                .exitCode,
            0);
  auto sim = world.Device(1, {"--period", "250"});
  const std::string elsewhere = world.install.Root() + "/elsewhere";
  fs::create_directories(elsewhere);
  ChildProcess tessar(world.install.ProgramPath(), {"--headless"}, world.env,
                      QString::fromStdString(elsewhere));
  const std::string records = world.install.BinDirectory() + "/records";
  ASSERT_TRUE(WaitUntil([&] { return RecordCount(records, 'A') >= 2 || !tessar.Running(); }, 30000));
  EXPECT_TRUE(tessar.Terminate(15000));
  EXPECT_GE(CheckedRecords(records, 'A'), 2u);
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(elsewhere, ec)) {
    EXPECT_NE(entry.path().extension(), ".ORV") << "recorded in the working directory: " << entry.path();
  }
}
