#include "config/config_store.h"

#include "config/number_text.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {

// One step of the storing; false stops it.
bool StoreNumber(const QString& text, double& field) {
  double value = 0.0;
  if (!ParseNumber(text, value)) return false;
  field = value;
  return true;
}

bool StoreBoard(BoardSettings& record, int board, const ConfigPageTexts& page, int modelKind,
                StoreResult& result) {
  result.failedBoard = board;
  result.failedChannel = 0;
  record.boardIndex = board;
  record.portNumber = page.portNumber;
  if (page.boardSensorType >= 0) record.boardSensorType = page.boardSensorType;
  if (!StoreNumber(page.refVoltage, record.refVoltage)) return false;
  if (!StoreNumber(page.voltA1, record.voltA1)) return false;
  if (!StoreNumber(page.voltA0, record.voltA0)) return false;
  const RangeTable ranges = RangeTableOf(modelKind);
  for (int k = 1; k <= kChannelCount; ++k) {
    result.failedChannel = k;
    const ChannelPageTexts& ch = page.channels[k];
    if (ch.typeIndex >= 0) record.channelSensorType[k] = ch.typeIndex;
    if (ch.rangeIndex >= 0 && ch.rangeIndex < ranges.count)
      record.channelRangeMv[k] = ranges.values[ch.rangeIndex];
    if (!StoreNumber(ch.t1, record.channelT1[k])) return false;
    if (!StoreNumber(ch.t0, record.channelT0[k])) return false;
    if (!StoreNumber(ch.minimum, record.channelMin[k])) return false;
    if (!StoreNumber(ch.maximum, record.channelMax[k])) return false;
  }
  return true;
}

}  // namespace

StoreResult StoreConfigPages(SettingsImage& image, const ProgramChoices& choices,
                             const std::array<ConfigPageTexts, kBoardCount>& pages,
                             const std::array<int, kBoardCount>& modelKinds) {
  StoreResult result;
  BoardSettings& first = image.boards[0];
  first.englishUi = choices.englishUi ? 1 : 0;
  first.elapseTimeAxis = choices.elapseTimeAxis ? 1 : 0;
  bool exact = false;
  const QByteArray directory = ToCp949(choices.dataDirectory, &exact);
  if (exact && directory.size() < static_cast<qsizetype>(sizeof first.dataDirectory))
    WriteField(first.dataDirectory, choices.dataDirectory);
  else
    result.directoryRefused = true;

  for (int b = 0; b < kBoardCount; ++b) {
    if (!StoreBoard(image.boards[b], b, pages[b], modelKinds[b], result)) {
      result.invalidNumber = true;
      return result;
    }
  }
  result.failedBoard = -1;
  result.failedChannel = -1;
  return result;
}

}  // namespace tessar
