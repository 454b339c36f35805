#include "settings/board_settings.h"

#include <cstdio>
#include <cstring>

#include "i18n/text_codec.h"
#include "settings/platform_paths.h"
#include "settings/settings_file.h"

namespace tessar {

namespace {
constexpr double kRangesKind0[] = {2500, 1250, 625, 312.5, 156.25, 78.125, 39.0625, 19.5313};
constexpr double kRangesKind12[] = {5000, 2500, 1250, 625, 312.5, 156.25, 78.125};
}  // namespace

void FillBoardDefaults(BoardSettings& r, int board, const std::string& dataDirectory) {
  std::memset(&r, 0, sizeof r);
  const char letter = static_cast<char>('A' + board);
  r.boardIndex = board;
  r.portNumber = 0;
  r.boardSensorType = 0;
  for (int s = 0; s < kSlotCount; ++s) {
    r.channelSensorType[s] = 0;
    r.channelRangeMv[s] = s == 0 ? 2500.0 : 78.125;
    r.channelT1[s] = 1.0;
    r.channelT0[s] = 0.0;
    r.channelMin[s] = 0.0;
    r.channelMax[s] = 10000.0;
    r.channelVisible[s] = 1;
    r.alarmEnabled[s] = 1;
    r.alarmHigh[s] = 100.0;
    r.alarmLow[s] = -20.0;
    char name[kShortTextSize];
    std::snprintf(name, sizeof name, "%c-%d       ", letter, s);
    StoreFieldBytes(r.channelName[s], name);
  }
  r.refVoltage = 0.0;
  r.voltA1 = 1.0;
  r.voltA0 = 0.0;
  StoreFieldBytes(r.dataDirectory, dataDirectory);
  r.sampleInterval = 1;
  r.elapseTimeAxis = 0;
  r.englishUi = 0;
  StoreFieldBytes(r.modelName, "ORVA-2100");
  StoreFieldBytes(r.serialNumber, "A30000");
  char title[kLongTextSize];
  std::snprintf(title, sizeof title, "Board %c Data", letter);
  StoreFieldBytes(r.jobTitle, title);
  StoreFieldBytes(r.chartTitle, "Data Chart");
  StoreFieldBytes(r.yAxisTitle, "Temperature (C)");
  r.filterLength = 0;
}

void FillDefaults(SettingsImage& image, const std::string& dataDirectory) {
  for (int b = 0; b < kBoardCount; ++b) FillBoardDefaults(image.boards[b], b, dataDirectory);
}

void FillDefaults(SettingsImage& image) { FillDefaults(image, DefaultDataDirectory("Tessar")); }

bool LoadSettings(const std::string& path, SettingsImage& image) {
  const auto bytes = ReadSettingsBytes(path, sizeof image);
  if (!bytes) {
    FillDefaults(image);
    return false;
  }
  std::memset(&image, 0, sizeof image);
  std::memcpy(&image, bytes->data(), bytes->size());
  // An empty directory would put every recording at the file system's root.
  BoardSettings& first = image.boards[0];
  if (first.dataDirectory[0] == '\0') StoreFieldBytes(first.dataDirectory, DefaultDataDirectory("Tessar"));
  return true;
}

bool WriteSettingsImage(const std::string& path, const SettingsImage& image) {
  return WriteSettingsBytes(path, &image, sizeof image);
}

std::string SettingsPathFor(const std::string& executablePath) {
  const std::size_t slash = executablePath.find_last_of('/');
  const std::size_t dot = executablePath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? executablePath.substr(0, dot) : executablePath) + ".SET";
}

int ModelKindOf(const char* modelName, std::size_t fieldSize) {
  const std::string_view model = FieldBytes(modelName, fieldSize);
  if (model == "ORVA-2000" || model == "ORVA-2100") return 0;
  if (model == "ORVA-2200") return 1;
  if (model == "ORVA-2280") return 2;
  return -1;
}

int ChannelCountOf(int modelKind) {
  switch (modelKind) {
    case 1: return 4;
    case 2: return 8;
    default: return 6;
  }
}

int RelayCountOf(int modelKind) { return modelKind == 0 ? 1 : 4; }

RangeTable RangeTableOf(int modelKind) {
  if (modelKind == 0) return {kRangesKind0, 8};
  return {kRangesKind12, 7};
}

int RangeIndexOf(int modelKind, double rangeMv) {
  const RangeTable table = RangeTableOf(modelKind);
  for (int i = table.count - 1; i >= 0; --i) {
    if (rangeMv <= table.values[i]) return i;
  }
  return -1;
}

}  // namespace tessar
