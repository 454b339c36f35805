#include "config/ui/config_controller.h"

#include "config/config_store.h"
#include "config/ui/config_page.h"
#include "device/ui/port_list.h"
#include "i18n/messages.h"

namespace tessar {

ConfigController::ConfigController(ProgramState& state,
                                   const std::array<ConfigPage*, kBoardCount>& pages,
                                   Dialogs& dialogs)
    : state_(state), pages_(pages), dialogs_(dialogs) {}

void ConfigController::FillPortLists(const QString& portsFolder) {
  QStringList names;
  QStringList paths;
  for (const PortEntry& entry : EnumeratePorts(portsFolder)) {
    names << QString::fromStdString(entry.name);
    paths << QString::fromStdString(entry.devicePath);
  }
  for (ConfigPage* page : pages_) page->SetPortItems(names, paths);
}

void ConfigController::ClearRangeItems() {
  for (ConfigPage* page : pages_) page->ClearRangeItems();
}

void ConfigController::ShowProgramChoices() {
  const BoardSettings& first = state_.Settings.boards[0];
  ConfigPage& page1 = *pages_[0];
  page1.ChbEnglish->setChecked(first.englishUi != 0);
  page1.ChkElapse->setChecked(first.elapseTimeAxis != 0);
  page1.UDQueue->setValue(first.filterLength);
}

void ConfigController::ApplyViewerLayout() {
  for (ConfigPage* page : pages_) {
    page->GBCPort->hide();
    page->GBIP->show();
    page->GBDO->hide();
    page->BtnGet->hide();
  }
}

void ConfigController::SetGetConfigureEnabled(bool enabled) {
  for (ConfigPage* page : pages_) page->BtnGet->setEnabled(enabled);
}

void ConfigController::Store() {
  const ConfigPage& page1 = *pages_[0];
  ProgramChoices choices;
  choices.englishUi = page1.ChbEnglish->isChecked();
  choices.elapseTimeAxis = page1.ChkElapse->isChecked();
  choices.dataDirectory = state_.CurrentDataDirectory;
  std::array<ConfigPageTexts, kBoardCount> texts;
  std::array<int, kBoardCount> kinds{};
  for (int b = 0; b < kBoardCount; ++b) {
    texts[b] = pages_[b]->Texts();
    kinds[b] = state_.Boards[b].frame.ModelKind;
  }
  const StoreResult result = StoreConfigPages(state_.Settings, choices, texts, kinds);
  const auto report = [this](Msg message) {
    dialogs_.Beep();
    dialogs_.ShowMessage(MessageText(message, state_.KoreanUi));
  };
  if (result.directoryRefused) report(Msg::DataDirectoryRefused);
  if (result.invalidNumber) report(Msg::InvalidData);
}

void ConfigController::SensorTypeClicked(int board) {
  if (!state_.UiReady) return;
  ConfigPage& page = *pages_[board];
  const int item = page.RgTC->itemIndex();
  if (item < 0) return;
  state_.Settings.boards[board].boardSensorType = item;
  const int kind = state_.Boards[board].frame.ModelKind;
  const int n = kind == 0 ? 7 : kind == 1 ? 5 : 9;
  for (int k = 1; k <= n - 1; ++k) {
    if (item < 7) page.CbTy[k]->setCurrentIndex(item);
    page.CbTy[k]->setEnabled(item >= 7);
  }
}

void ConfigController::GatherForSaving() {
  const int filterLength = pages_[0]->UDQueue->value();
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& record = state_.Settings.boards[b];
    record.sampleInterval = static_cast<std::int16_t>(pages_[b]->UDInt->value());
    record.filterLength = filterLength;
  }
}

}  // namespace tessar
