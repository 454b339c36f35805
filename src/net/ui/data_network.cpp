#include "net/ui/data_network.h"

#include "config/ui/config_page.h"
#include "i18n/text_codec.h"
#include "net/net_message.h"
#include "net/ui/client_page.h"
#include "net/ui/data_client.h"
#include "net/ui/data_server.h"

namespace tessar {

DataNetwork::DataNetwork(ProgramState& state, ClientPage& page) : state_(state), page_(page) {
  server_ = std::make_unique<DataServer>(
      page, [this](int b) -> const FrameState& { return state_.Boards[b].frame; },
      [this](int b) -> const BoardSettings& { return state_.Settings.boards[b]; });
  connect(server_.get(), &DataServer::StatusMessage, this, &DataNetwork::StatusMessage);
}

DataNetwork::DataNetwork(ProgramState& state, ClientPage& page, Viewer viewer)
    : state_(state), page_(page), configPages_(viewer.configPages) {
  client_ = std::make_unique<DataClient>(
      state, viewer.configPages, viewer.chartPages, page,
      DataClient::Hooks{std::move(viewer.cycleInputs), std::move(viewer.showRecord)});
  connect(client_.get(), &DataClient::StatusMessage, this, &DataNetwork::StatusMessage);
}

DataNetwork::~DataNetwork() = default;

void DataNetwork::OpenServers() {
  if (!server_) return;
  server_->SetKoreanUi(state_.KoreanUi);
  server_->OpenServers();
}

void DataNetwork::NotifyClientsServerClosed() {
  if (server_) server_->NotifyAllClients(kClosedCode, QByteArray(kServerClosedText));
}

void DataNetwork::CloseServers() {
  if (server_) server_->CloseAll();
}

void DataNetwork::NetSwitchClicked() {
  if (!server_) return;
  if (page_.ChkNetOff->isChecked()) {
    server_->StopServing();
  } else {
    OpenServers();
  }
}

void DataNetwork::LoadClientSettings() {
  if (!client_) return;
  ClientSettings& settings = client_->Settings();
  tessar::LoadClientSettings(state_.SettingsPath.toStdString(), settings);
  state_.KoreanUi = settings.englishUi == 0;
  state_.ElapsedAxis = settings.elapseTimeAxis != 0;
  configPages_[0]->ChbEnglish->setChecked(!state_.KoreanUi);
  configPages_[0]->ChkElapse->setChecked(state_.ElapsedAxis);
  client_->ShowSettings();
}

QString DataNetwork::ClientDataDirectory() const {
  return client_ ? ReadField(client_->Settings().clientDataDirectory) : QString();
}

void DataNetwork::SetPollInterval(int board, int seconds) {
  if (client_) client_->SetPollInterval(board, seconds);
}

void DataNetwork::PollTick() {
  if (client_) client_->Timer2Timer();
}

void DataNetwork::SaveClientSettings() {
  if (!client_) return;
  client_->CloseAll();
  ClientSettings& settings = client_->Settings();
  const ConfigPage& page1 = *configPages_[0];
  settings.englishUi = page1.ChbEnglish->isChecked() ? 1 : 0;
  settings.elapseTimeAxis = page1.ChkElapse->isChecked() ? 1 : 0;
  StoreClientDataDirectory(settings, ToCp949(state_.CurrentDataDirectory).toStdString());
  client_->GatherSettings();
  WriteClientSettings(state_.SettingsPath.toStdString(), settings);
}

}  // namespace tessar
