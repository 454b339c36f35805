// What the OK button of a configuration page stores: the program-wide
// choices of page 1 and all four pages, in a fixed order, into the settings
// image in memory. A field that does not hold a number stops the storing
// there: everything before it has its new value, everything after keeps the
// old one.
#pragma once

#include <QString>
#include <array>

#include "settings/board_settings.h"

namespace tessar {

struct ChannelPageTexts {
  int typeIndex = -1;   // selected item of the type combo, -1 none
  int rangeIndex = -1;  // selected item of the range combo, -1 none
  QString t1, t0, minimum, maximum;
};

struct ConfigPageTexts {
  int portNumber = 0;        // PortNumberOf the port combo
  int boardSensorType = -1;  // selected item of "Thermocouple type", -1 none
  QString refVoltage, voltA1, voltA0;
  std::array<ChannelPageTexts, kSlotCount> channels;  // slots 1..8 used
};

struct ProgramChoices {
  bool englishUi = false;
  bool elapseTimeAxis = false;
  QString dataDirectory;  // CurrentDataDirectory
};

struct StoreResult {
  bool invalidNumber = false;     // storing stopped at a field that is not a number
  int failedBoard = -1;           // where it stopped
  int failedChannel = -1;         // 0 for a board field
  // The directory cannot be stored as it is (longer than its field, or with
  // characters the file code page lacks): it was not stored.
  bool directoryRefused = false;
};

// Stores the pages into `image`. `modelKinds` chooses each board's range
// table. A type or range combo without a selection keeps the stored value; a
// data directory longer than its 80-byte field or not expressible in the file
// code page is refused (the stored one is kept, everything else is stored as
// usual).
StoreResult StoreConfigPages(SettingsImage& image, const ProgramChoices& choices,
                             const std::array<ConfigPageTexts, kBoardCount>& pages,
                             const std::array<int, kBoardCount>& modelKinds);

}  // namespace tessar
