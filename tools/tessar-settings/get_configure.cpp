#include "get_configure.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <iterator>
#include <optional>

#include "config/number_text.h"
#include "device/port_names.h"
#include "device/ui/config_dialogue.h"
#include "device/ui/serial_channel.h"
#include "i18n/messages.h"
#include "i18n/text_codec.h"

namespace tessar {

ConfigPageTexts PageTextsOf(const BoardSettings& record, int modelKind) {
  constexpr int kDecimals = 5;  // the page's "%.5f"
  constexpr int kTypeItems = 8;  // "mV" .. "Z"; "Thermocouple type" has as many
  const auto item = [](int index) { return index >= 0 && index < kTypeItems ? index : -1; };
  ConfigPageTexts page;
  page.portNumber = record.portNumber;
  page.boardSensorType = item(record.boardSensorType);
  page.refVoltage = FormatFixed(record.refVoltage, kDecimals);
  page.voltA1 = FormatFixed(record.voltA1, kDecimals);
  page.voltA0 = FormatFixed(record.voltA0, kDecimals);
  // the channel types follow the board's type unless it is "H"
  const bool ownTypes = record.boardSensorType > 6;
  for (int k = 1; k <= kChannelCount; ++k) {
    ChannelPageTexts& channel = page.channels[k];
    channel.typeIndex = item(ownTypes ? record.channelSensorType[k] : record.boardSensorType);
    channel.rangeIndex = RangeIndexOf(modelKind, record.channelRangeMv[k]);
    channel.t1 = FormatFixed(record.channelT1[k], kDecimals);
    channel.t0 = FormatFixed(record.channelT0[k], kDecimals);
    channel.minimum = FormatFixed(record.channelMin[k], kDecimals);
    channel.maximum = FormatFixed(record.channelMax[k], kDecimals);
  }
  return page;
}

namespace {

// The OK of board `board`'s page after the download: what the page stores of
// the board. The program-wide choices of page 1 are left as they are.
bool StorePage(SettingsImage& image, int board, const BoardSettings& configured, int modelKind,
               std::string& message, bool korean) {
  SettingsImage stored = image;
  stored.boards[board] = configured;
  std::array<ConfigPageTexts, kBoardCount> pages;
  std::array<int, kBoardCount> kinds{};
  for (int b = 0; b < kBoardCount; ++b) {
    kinds[b] = b == board ? modelKind : std::max(0, ModelKindOf(stored.boards[b]));
    pages[b] = PageTextsOf(stored.boards[b], kinds[b]);
  }
  const BoardSettings& first = image.boards[0];
  ProgramChoices choices;
  choices.englishUi = first.englishUi != 0;
  choices.elapseTimeAxis = first.elapseTimeAxis != 0;
  choices.dataDirectory = ReadField(first.dataDirectory);
  const StoreResult result = StoreConfigPages(stored, choices, pages, kinds);
  if (result.invalidNumber && result.failedBoard <= board) {
    message = MessageText(Msg::InvalidData, korean).toStdString();
    return false;
  }
  BoardSettings record = stored.boards[board];
  if (board == 0) {
    record.englishUi = first.englishUi;
    record.elapseTimeAxis = first.elapseTimeAxis;
    std::copy(std::begin(first.dataDirectory), std::end(first.dataDirectory), record.dataDirectory);
  }
  image.boards[board] = record;
  return true;
}

}  // namespace

bool RunGetConfigure(SettingsImage& image, int board, int portNumber, const std::string& portsFolder,
                     std::string& message) {
  static int argc = 1;
  static char name[] = "tessar-settings";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  const bool korean = image.boards[0].englishUi == 0;

  SerialChannel channel(QStringLiteral("ComPort5"));
  channel.SetPortsFolder(QString::fromStdString(portsFolder));
  ConfigDialogue dialogue(channel);
  dialogue.SetKoreanUi(korean);
  // the kind the window holds for the board until the reply names another
  int modelKind = std::max(0, ModelKindOf(image.boards[board]));
  std::optional<BoardSettings> configured;
  QString shown;
  QEventLoop loop;
  QObject::connect(&dialogue, &ConfigDialogue::StatusMessage, [&](const QString& t) { shown = t; });
  QObject::connect(&dialogue, &ConfigDialogue::MessageBox, [&](const QString& t) { shown = t; });
  QObject::connect(&dialogue, &ConfigDialogue::ModelKindFound, [&](int, int kind) { modelKind = kind; });
  QObject::connect(&dialogue, &ConfigDialogue::Configured,
                   [&](int, const BoardSettings& record) { configured = record; });
  QObject::connect(&dialogue, &ConfigDialogue::DialogueRunning, [&](bool running) {
    if (!running) loop.quit();
  });

  // the port list's item of the port: "No Use" for none
  const QString item = portNumber >= 1 ? QString::fromStdString(ComName(portNumber))
                                       : QString::fromLatin1(kNoUseItem);
  dialogue.GetConfigure(board, portNumber >= 1 ? 1 : 0, item, nullptr, image.boards[board]);
  if (dialogue.Waiting()) {
    loop.exec();
  } else if (!channel.ErrorString().isEmpty()) {
    shown += QStringLiteral(" (%1)").arg(channel.ErrorString());  // why it did not open
  }
  channel.Close();
  message = shown.toStdString();
  if (!configured) return false;
  return StorePage(image, board, *configured, modelKind, message, korean);
}

}  // namespace tessar
