// The configuration record of one acquisition board and the image of the
// logger's settings file. The layout is both a file format and a wire format
// (the data server sends a board's record to viewers), so every offset is fixed.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessar {

static_assert(std::endian::native == std::endian::little,
              "records are little-endian and are read and written as they lie in memory");

constexpr int kBoardCount = 4;
constexpr int kSlotCount = 9;          // slot 0: cold-junction reference, slots 1..8: channels
constexpr int kChannelCount = 8;
constexpr std::size_t kShortTextSize = 21;
constexpr std::size_t kLongTextSize = 81;

// Sensor type index -> letter, as the devices and the conversion name them.
inline constexpr char kSensorLetters[] = "VKRJSTABZ";
constexpr int kSensorLetterCount = 9;

struct BoardSettings {
  std::int32_t boardIndex;
  std::int32_t portNumber;
  std::int32_t boardSensorType;
  std::int32_t channelSensorType[kSlotCount];
  double channelRangeMv[kSlotCount];
  double channelT1[kSlotCount];
  double channelT0[kSlotCount];
  double channelMin[kSlotCount];
  double channelMax[kSlotCount];
  double refVoltage;
  double voltA1;
  double voltA0;
  std::int32_t channelVisible[kSlotCount];
  std::int32_t alarmEnabled[kSlotCount];
  double alarmHigh[kSlotCount];
  double alarmLow[kSlotCount];
  char dataDirectory[kLongTextSize];
  char channelName[kSlotCount][kShortTextSize];
  std::uint8_t padding918[2];
  std::int32_t sampleInterval;
  std::uint8_t elapseTimeAxis;
  std::uint8_t padding925[3];
  std::int32_t englishUi;
  char modelName[kShortTextSize];
  char serialNumber[kShortTextSize];
  char jobTitle[kLongTextSize];
  char chartTitle[kLongTextSize];
  char noteText[kLongTextSize];
  char yAxisTitle[kLongTextSize];
  std::uint8_t padding1298[2];
  std::int32_t filterLength;
};

static_assert(sizeof(BoardSettings) == 1304);
static_assert(std::is_trivially_copyable_v<BoardSettings>);
static_assert(std::is_standard_layout_v<BoardSettings>);
static_assert(offsetof(BoardSettings, boardIndex) == 0);
static_assert(offsetof(BoardSettings, portNumber) == 4);
static_assert(offsetof(BoardSettings, boardSensorType) == 8);
static_assert(offsetof(BoardSettings, channelSensorType) == 12);
static_assert(offsetof(BoardSettings, channelRangeMv) == 48);
static_assert(offsetof(BoardSettings, channelT1) == 120);
static_assert(offsetof(BoardSettings, channelT0) == 192);
static_assert(offsetof(BoardSettings, channelMin) == 264);
static_assert(offsetof(BoardSettings, channelMax) == 336);
static_assert(offsetof(BoardSettings, refVoltage) == 408);
static_assert(offsetof(BoardSettings, voltA1) == 416);
static_assert(offsetof(BoardSettings, voltA0) == 424);
static_assert(offsetof(BoardSettings, channelVisible) == 432);
static_assert(offsetof(BoardSettings, alarmEnabled) == 468);
static_assert(offsetof(BoardSettings, alarmHigh) == 504);
static_assert(offsetof(BoardSettings, alarmLow) == 576);
static_assert(offsetof(BoardSettings, dataDirectory) == 648);
static_assert(offsetof(BoardSettings, channelName) == 729);
static_assert(offsetof(BoardSettings, padding918) == 918);
static_assert(offsetof(BoardSettings, sampleInterval) == 920);
static_assert(offsetof(BoardSettings, elapseTimeAxis) == 924);
static_assert(offsetof(BoardSettings, padding925) == 925);
static_assert(offsetof(BoardSettings, englishUi) == 928);
static_assert(offsetof(BoardSettings, modelName) == 932);
static_assert(offsetof(BoardSettings, serialNumber) == 953);
static_assert(offsetof(BoardSettings, jobTitle) == 974);
static_assert(offsetof(BoardSettings, chartTitle) == 1055);
static_assert(offsetof(BoardSettings, noteText) == 1136);
static_assert(offsetof(BoardSettings, yAxisTitle) == 1217);
static_assert(offsetof(BoardSettings, padding1298) == 1298);
static_assert(offsetof(BoardSettings, filterLength) == 1300);

// The four board records of the settings file, board A first.
struct SettingsImage {
  BoardSettings boards[kBoardCount];
};
static_assert(sizeof(SettingsImage) == 5216);
constexpr std::size_t kSettingsImageSize = sizeof(SettingsImage);

// Fills the whole image with the defaults; the data directory of every record
// is `dataDirectory` (cut to fit its field).
void FillDefaults(SettingsImage& image, const std::string& dataDirectory);
// Fills one board's record with the defaults of board `board`.
void FillBoardDefaults(BoardSettings& record, int board, const std::string& dataDirectory);
// Defaults with the platform's default data directory of the logger.
void FillDefaults(SettingsImage& image);

// Reads the settings file into the image. When the path is a readable regular
// file, the image is zeroed, up to 5216 bytes are read into it (a short file
// leaves the rest zero, content is not checked) and the result is true; an
// empty data directory of board A then becomes the default one. Anything else
// (no file, a directory, no read permission) gives the defaults and false.
bool LoadSettings(const std::string& path, SettingsImage& image);

// Writes the 5216 bytes of the image through a temporary file renamed over
// the settings file, so a failed save leaves the old file whole. Returns
// false when the file could not be replaced.
bool WriteSettingsImage(const std::string& path, const SettingsImage& image);

// The settings file of a program: its executable's path with the extension
// replaced by ".SET" (added when the name has none).
std::string SettingsPathFor(const std::string& executablePath);

// Model kind from a device's model string: 0 for "ORVA-2000"/"ORVA-2100",
// 1 for "ORVA-2200", 2 for "ORVA-2280"; -1 for anything else (the caller
// then keeps the kind it had). Exact, case-sensitive comparison.
int ModelKindOf(const char* modelName, std::size_t fieldSize = kShortTextSize);
inline int ModelKindOf(const BoardSettings& record) {
  return ModelKindOf(record.modelName, sizeof record.modelName);
}

// Channels and relay outputs each model kind has.
int ChannelCountOf(int modelKind);
int RelayCountOf(int modelKind);

// Input ranges in mV by model kind, largest first.
struct RangeTable {
  const double* values;
  int count;
};
RangeTable RangeTableOf(int modelKind);
// Index of the smallest range of the kind's table that covers v (scanning from
// the smallest entry), or -1 when v exceeds every entry.
int RangeIndexOf(int modelKind, double rangeMv);

}  // namespace tessar
