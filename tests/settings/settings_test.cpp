#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <string>

#include "settings/board_settings.h"
#include "i18n/text_codec.h"
#include "settings/client_settings.h"
#include "settings/platform_paths.h"
#include "test_support.h"

using namespace tessar;
using tessar::test::ReadBytes;
using tessar::test::WriteBytes;

namespace {

// Values read straight from the bytes, so that the layout is checked
// independently of the structure declaration.
template <typename T>
T At(const unsigned char* base, std::size_t offset) {
  T v;
  std::memcpy(&v, base + offset, sizeof v);
  return v;
}

std::string TextAt(const unsigned char* base, std::size_t offset, std::size_t size) {
  const char* p = reinterpret_cast<const char*>(base + offset);
  return std::string(p, strnlen(p, size));
}

// Every byte of [offset, offset + size) after the text's terminator is zero.
void ExpectZeroTail(const unsigned char* base, std::size_t offset, std::size_t size) {
  const std::size_t length = TextAt(base, offset, size).size();
  for (std::size_t i = offset + length; i < offset + size; ++i) {
    ASSERT_EQ(base[i], 0) << "byte " << i;
  }
}

}  // namespace

TEST(SettingsDefaults, EveryBoardHasTheDefaultColumnAtItsOffsets) {
  SettingsImage image;
  std::memset(&image, 0xAA, sizeof image);
  FillDefaults(image, "/home/lab/Tessar");
  const auto* bytes = reinterpret_cast<const unsigned char*>(&image);
  for (int b = 0; b < kBoardCount; ++b) {
    SCOPED_TRACE("board " + std::to_string(b));
    const unsigned char* r = bytes + b * 1304;
    const char letter = static_cast<char>('A' + b);
    EXPECT_EQ(At<int32_t>(r, 0), b);
    EXPECT_EQ(At<int32_t>(r, 4), 0);
    EXPECT_EQ(At<int32_t>(r, 8), 0);
    for (int s = 0; s < 9; ++s) {
      EXPECT_EQ(At<int32_t>(r, 12 + 4 * s), 0);
      EXPECT_EQ(At<double>(r, 48 + 8 * s), s == 0 ? 2500.0 : 78.125);
      EXPECT_EQ(At<double>(r, 120 + 8 * s), 1.0);
      EXPECT_EQ(At<double>(r, 192 + 8 * s), 0.0);
      EXPECT_EQ(At<double>(r, 264 + 8 * s), 0.0);
      EXPECT_EQ(At<double>(r, 336 + 8 * s), 10000.0);
      EXPECT_EQ(At<int32_t>(r, 432 + 4 * s), 1);
      EXPECT_EQ(At<int32_t>(r, 468 + 4 * s), 1);
      EXPECT_EQ(At<double>(r, 504 + 8 * s), 100.0);
      EXPECT_EQ(At<double>(r, 576 + 8 * s), -20.0);
      const std::string name = std::string(1, letter) + "-" + std::to_string(s) + "       ";
      EXPECT_EQ(TextAt(r, 729 + 21 * s, 21), name);
      ExpectZeroTail(r, 729 + 21 * s, 21);
    }
    EXPECT_EQ(At<double>(r, 408), 0.0);
    EXPECT_EQ(At<double>(r, 416), 1.0);
    EXPECT_EQ(At<double>(r, 424), 0.0);
    EXPECT_EQ(TextAt(r, 648, 81), "/home/lab/Tessar");
    ExpectZeroTail(r, 648, 81);
    EXPECT_EQ(r[918], 0);
    EXPECT_EQ(r[919], 0);
    EXPECT_EQ(At<int32_t>(r, 920), 1);
    EXPECT_EQ(r[924], 0);
    EXPECT_EQ(r[925] | r[926] | r[927], 0);
    EXPECT_EQ(At<int32_t>(r, 928), 0);
    EXPECT_EQ(TextAt(r, 932, 21), "ORVA-2100");
    ExpectZeroTail(r, 932, 21);
    EXPECT_EQ(TextAt(r, 953, 21), "A30000");
    ExpectZeroTail(r, 953, 21);
    EXPECT_EQ(TextAt(r, 974, 81), std::string("Board ") + letter + " Data");
    ExpectZeroTail(r, 974, 81);
    EXPECT_EQ(TextAt(r, 1055, 81), "Data Chart");
    ExpectZeroTail(r, 1055, 81);
    ExpectZeroTail(r, 1136, 81);
    EXPECT_EQ(TextAt(r, 1136, 81), "");
    EXPECT_EQ(TextAt(r, 1217, 81), "Temperature (C)");
    ExpectZeroTail(r, 1217, 81);
    EXPECT_EQ(r[1298] | r[1299], 0);
    EXPECT_EQ(At<int32_t>(r, 1300), 0);
  }
}

TEST(SettingsDefaults, DataDirectoryIsTheHomeFolderCutToTheField) {
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", "/home/somebody");
  SettingsImage image;
  FillDefaults(image);
  EXPECT_STREQ(image.boards[0].dataDirectory, "/home/somebody/Tessar");
  EXPECT_STREQ(image.boards[3].dataDirectory, "/home/somebody/Tessar");

  qputenv("HOME", QByteArray("/") + QByteArray(100, 'x'));
  FillDefaults(image);
  EXPECT_EQ(strnlen(image.boards[0].dataDirectory, 81), 80u);

  // A home whose path has no CP949 form is not stored with its characters
  // replaced: the folder goes beside the executable, which can be stored.
  for (const char* home : {"/home/café", "/home/\xff\xfe"}) {
    qputenv("HOME", home);
    const std::string fallback = DefaultDataDirectory("Tessar");
    EXPECT_EQ(fallback.find("/home/"), std::string::npos) << home;
    EXPECT_TRUE(IsCp949Text(QString::fromStdString(fallback))) << fallback;
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(fallback).parent_path())) << fallback;
    EXPECT_TRUE(fallback.ends_with("/Tessar")) << fallback;
  }
  qputenv("HOME", oldHome);
}

class SettingsFile : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string path() const { return dir.filePath("tessar.SET").toStdString(); }
};

TEST_F(SettingsFile, MissingFileGivesDefaultsAndFalse) {
  SettingsImage image;
  std::memset(&image, 0x55, sizeof image);
  EXPECT_FALSE(LoadSettings(path(), image));
  EXPECT_EQ(image.boards[1].boardIndex, 1);
  EXPECT_STREQ(image.boards[1].jobTitle, "Board B Data");
  EXPECT_STREQ(image.boards[1].channelName[8], "B-8       ");
}

TEST_F(SettingsFile, ShortFileFillsTheStartAndLeavesTheRestZero) {
  std::vector<unsigned char> bytes(100);
  for (int i = 0; i < 100; ++i) bytes[i] = static_cast<unsigned char>(i + 1);
  WriteBytes(path(), bytes);
  SettingsImage image;
  FillDefaults(image, "x");
  ASSERT_TRUE(LoadSettings(path(), image));
  // An empty data directory would record into the root: it becomes the default.
  const std::string directory = DefaultDataDirectory("Tessar");
  EXPECT_EQ(std::string(image.boards[0].dataDirectory), directory);
  const std::size_t directoryEnd = 648 + directory.size();
  const auto* r = reinterpret_cast<const unsigned char*>(&image);
  for (std::size_t i = 0; i < sizeof image; ++i) {
    if (i >= 648 && i < directoryEnd) continue;
    ASSERT_EQ(r[i], i < 100 ? i + 1 : 0) << "byte " << i;
  }
}

// Anything but a readable regular file is "cannot be opened": defaults, false.
TEST_F(SettingsFile, OnlyARegularFileIsLoaded) {
  const std::string folder = dir.filePath("folder.SET").toStdString();
  std::filesystem::create_directory(folder);
  const std::string fifo = dir.filePath("fifo.SET").toStdString();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening it would wait for a writer
  const std::string dangling = dir.filePath("dangling.SET").toStdString();
  std::filesystem::create_symlink(dir.filePath("nowhere").toStdString(), dangling);
  for (const std::string& p : {folder, fifo, dangling, std::string("/dev/null")}) {
    SettingsImage image;
    std::memset(&image, 0, sizeof image);
    EXPECT_FALSE(LoadSettings(p, image)) << p;
    EXPECT_EQ(image.boards[2].boardIndex, 2) << p;
    EXPECT_STREQ(image.boards[0].modelName, "ORVA-2100") << p;
    ClientSettings client;
    std::memset(&client, 0, sizeof client);
    EXPECT_FALSE(LoadClientSettings(p, client)) << p;
    EXPECT_EQ(client.pollInterval[3], 2) << p;
  }
}

// A save that fails half-way (here: a file size limit, as a full disk would)
// leaves the previous file whole and no temporary file behind.
TEST_F(SettingsFile, FailedSaveLeavesThePreviousFileWhole) {
  SettingsImage image;
  FillDefaults(image, "/data");
  ASSERT_TRUE(WriteSettingsImage(path(), image));
  const auto before = ReadBytes(path());
  image.boards[1].portNumber = 9;
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool written = WriteSettingsImage(path(), image);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(path()), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()),
                          std::filesystem::directory_iterator()), 1);
}

TEST_F(SettingsFile, LongFileIsReadOnlyTo5216Bytes) {
  std::vector<unsigned char> bytes(6000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  WriteBytes(path(), bytes);
  SettingsImage image;
  ASSERT_TRUE(LoadSettings(path(), image));
  EXPECT_EQ(std::memcmp(&image, bytes.data(), sizeof image), 0);
}

TEST_F(SettingsFile, WriteAndLoadRoundTripEveryByte) {
  SettingsImage image;
  FillDefaults(image, "/data");
  image.boards[2].portNumber = 7;
  image.boards[3].alarmHigh[5] = 55.5;
  image.boards[0].padding918[1] = 9;  // carried unchanged
  ASSERT_TRUE(WriteSettingsImage(path(), image));
  EXPECT_EQ(ReadBytes(path()).size(), 5216u);
  SettingsImage back;
  ASSERT_TRUE(LoadSettings(path(), back));
  EXPECT_EQ(std::memcmp(&image, &back, sizeof image), 0);
}

TEST_F(SettingsFile, UnwritablePathWritesNothingAndSaysSo) {
  SettingsImage image;
  FillDefaults(image, "/data");
  const std::string inMissingDir = dir.filePath("no/such/dir/tessar.SET").toStdString();
  EXPECT_FALSE(WriteSettingsImage(inMissingDir, image));
  EXPECT_FALSE(std::filesystem::exists(inMissingDir));
  // A directory where the file should be.
  std::filesystem::create_directory(path());
  EXPECT_FALSE(WriteSettingsImage(path(), image));
}

TEST(SettingsPath, ExtensionIsReplacedOrAdded) {
  EXPECT_EQ(SettingsPathFor("/opt/lab/tessar"), "/opt/lab/tessar.SET");
  EXPECT_EQ(SettingsPathFor("C:/Lab/Tessar.exe"), "C:/Lab/Tessar.SET");
  EXPECT_EQ(SettingsPathFor("/opt/v1.2/tessview"), "/opt/v1.2/tessview.SET");
}

TEST(ModelKind, ExactModelNamesOnly) {
  EXPECT_EQ(ModelKindOf("ORVA-2000"), 0);
  EXPECT_EQ(ModelKindOf("ORVA-2100"), 0);
  EXPECT_EQ(ModelKindOf("ORVA-2200"), 1);
  EXPECT_EQ(ModelKindOf("ORVA-2280"), 2);
  EXPECT_EQ(ModelKindOf("orva-2280"), -1);
  EXPECT_EQ(ModelKindOf("ORVA-2280 "), -1);
  EXPECT_EQ(ModelKindOf(""), -1);
  // A model field without a terminator is read within its 21 bytes.
  char unterminated[21];
  std::memset(unterminated, 'X', sizeof unterminated);
  EXPECT_EQ(ModelKindOf(unterminated, sizeof unterminated), -1);
  EXPECT_EQ(ChannelCountOf(0), 6);
  EXPECT_EQ(ChannelCountOf(1), 4);
  EXPECT_EQ(ChannelCountOf(2), 8);
  EXPECT_EQ(RelayCountOf(0), 1);
  EXPECT_EQ(RelayCountOf(2), 4);
}

TEST(RangeLookup, SmallestRangeThatCoversTheValue) {
  EXPECT_EQ(RangeIndexOf(0, 78.125), 5);
  EXPECT_EQ(RangeIndexOf(0, 100.0), 4);     // 156.25 mV
  EXPECT_EQ(RangeIndexOf(0, 19.5313), 7);
  EXPECT_EQ(RangeIndexOf(0, 1.0), 7);
  EXPECT_EQ(RangeIndexOf(0, 2500.0), 0);
  EXPECT_EQ(RangeIndexOf(0, 2500.5), -1);
  EXPECT_EQ(RangeIndexOf(1, 5000.0), 0);
  EXPECT_EQ(RangeIndexOf(1, 100.0), 5);
  EXPECT_EQ(RangeIndexOf(2, 1.0), 6);
  EXPECT_EQ(RangeIndexOf(2, 6000.0), -1);
  EXPECT_EQ(RangeTableOf(0).count, 8);
  EXPECT_EQ(RangeTableOf(0).values[7], 19.5313);
  EXPECT_EQ(RangeTableOf(2).count, 7);
}

TEST(ClientSettingsRecord, DefaultsLoadAndShortFile) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("tessview.SET").toStdString();
  ClientSettings s;
  EXPECT_FALSE(LoadClientSettings(path, s));
  for (int b = 0; b < 4; ++b) {
    EXPECT_EQ(s.remoteBoard[b], b);
    EXPECT_EQ(s.pollInterval[b], 2);
  }
  EXPECT_EQ(s.serverCount, 1);
  EXPECT_STREQ(s.serverAddress[0], "127.0.0.1");
  EXPECT_EQ(s.serverAddress[1][0], 0);
  EXPECT_NE(std::string(s.clientDataDirectory).find("/Tessview"), std::string::npos);

  ASSERT_TRUE(WriteClientSettings(path, s));
  EXPECT_EQ(ReadBytes(path).size(), 372u);

  std::vector<unsigned char> shortFile = {1, 1, 0, 0, 3, 0, 0, 0};
  WriteBytes(path, shortFile);
  ASSERT_TRUE(LoadClientSettings(path, s));
  EXPECT_EQ(s.englishUi, 1);
  EXPECT_EQ(s.remoteBoard[0], 3);
  EXPECT_EQ(s.remoteBoard[1], 0);
  EXPECT_EQ(s.pollInterval[0], 0);
  EXPECT_EQ(s.serverCount, 0);
  EXPECT_EQ(std::string(s.clientDataDirectory), DefaultDataDirectory("Tessview"));
}

TEST(ClientSettingsRecord, AddressesNeverPassTheirField) {
  ClientSettings s;
  FillClientDefaults(s, "/data");
  std::memset(s.serverAddress[2], 0x7E, sizeof s.serverAddress[2]);  // neighbour's bytes
  EXPECT_TRUE(SetServerAddress(s, 1, std::string(24, '9')));
  EXPECT_EQ(std::string(s.serverAddress[1]), std::string(24, '9'));
  EXPECT_FALSE(SetServerAddress(s, 1, std::string(25, '8')));
  EXPECT_EQ(std::string(s.serverAddress[1]), std::string(24, '9'));
  EXPECT_EQ(static_cast<unsigned char>(s.serverAddress[2][0]), 0x7E);
  EXPECT_FALSE(SetServerAddress(s, 10, "10.0.0.1"));
}
