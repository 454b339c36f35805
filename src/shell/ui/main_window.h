// The main window of both programs: the ten pages, the main menu, the status
// bar, the four timers, the start sequence, the close confirmation and the
// orderly shutdown. The window only wires: the pages are classes of their own
// and the behaviour behind them lives with the subsystems (configuration
// pages, acquisition, board ports, data network); the run-time state is one
// ProgramState reached through state().
#pragma once

#include <QMainWindow>
#include <QStatusBar>
#include <QString>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <memory>

#include "acquisition/program_state.h"
#include "common/dialogs.h"
#include "config/ui/board_pages.h"
#include "i18n/messages.h"
#include "shell/edition.h"

namespace tessar {

class AcquisitionController;
class AlarmController;
class AlarmSound;
class BoardLinkController;
class ChartPage;
class ClientPage;
class ConfigController;
class ConfigPage;
class DataNetwork;
class DeviceLink;
class DisplayPage;
class HealthPresenter;
class LiveFeed;
class MqttPublisher;
class WebServer;

// Page indexes of PageControl1.
enum PageIndex {
  kPageDaq1 = 0,     // "DAQ 1" .. "DAQ 4": 0..3
  kPageClient = 4,   // "Client"
  kPageDisplay = 5,  // "Display"
  kPageConfig1 = 6,  // "Config 1" .. "Config 4": 6..9
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `executablePath`: the running program's file; its settings file, error
  // log and ports/ folder lie in its program folder (beside it, or the
  // per-user folder when it is installed or its folder cannot be written),
  // or with an `instance` name in that folder's subfolder of the name.
  // `dialogs` null: Qt's own dialogs.
  MainWindow(const Edition& edition, const QString& executablePath, Dialogs* dialogs = nullptr,
             const QString& instance = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  const Edition& edition() const { return edition_; }
  ProgramState& state() { return state_; }
  const ProgramState& state() const { return state_; }
  Dialogs& dialogs() { return *dialogs_; }

  QTabWidget* PageControl() const { return PageControl1_; }
  ChartPage* chartPage(int board) const { return chartPages_[board]; }
  ConfigPage* configPage(int board) const { return configPages_[board]; }
  ClientPage* clientPage() const { return clientPage_; }
  DisplayPage* displayPage() const { return displayPage_; }
  BoardPages boardPages(int board) const;
  QStatusBar* SBar() const { return sbar_; }

  QTimer* TimerS() const { return timerS_; }  // 100 ms, the start sequence
  QTimer* Timer1() const { return timer1_; }  // 1000 ms, the acquisition tick
  QTimer* Timer2() const { return timer2_; }  // 1000 ms, the viewer's poll
  QTimer* TimerC() const { return timerC_; }  // 5000 ms, the device reply time-out

  // The five serial channels; null in the viewer, which opens no serial port.
  DeviceLink* deviceLink() const;
  // The data servers (logger) or the data client (viewer).
  DataNetwork& network() const { return *network_; }
  // Every record taken and every alarm message, for the services beside the window.
  LiveFeed& liveFeed() const { return *feed_; }

  void SetStatus(const QString& text) { sbar_->showMessage(text); }
  QString Message(Msg id) const { return MessageText(id, state_.KoreanUi); }

  // The timers' handlers.
  void TimerSTimer();
  void Timer1Timer();
  void Timer2Timer();
  void TimerCTimer();

  // Handlers that tests drive directly.
  void OKBtn1Click(int board);
  void RgTC1Click(int board);
  void MMExitClick() { close(); }
  // A close that nobody is asked to confirm (a termination signal): the
  // orderly shutdown runs at once.
  void CloseUnasked();

 signals:
  // The start sequence has run (also when it stopped on a first run).
  void StartSequenceDone();

 public:
  // The pause of the close before the application ends (500 ms; tests set 0).
  void SetCloseDelayMs(int ms) { closeDelayMs_ = ms; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPages();
  void BuildMenus();
  void ConnectPages();
  void BuildControllers();
  void StartLogger();
  void StartViewer();
  void ShowBoardRecord(int board);
  void UseDataDirectory(const QString& path);
  void ApplyLanguage();
  void PageShown(int index);
  void OrderlyShutdown();
  // The optional services beside the window (each off without its
  // configuration file): started once the run has started, stopped by the
  // orderly shutdown before the ports close. StartServices gives the web
  // read-out's status line, for the caller to show.
  QString StartServices();
  void StopServices();
  void SaveSettings();
  std::string DefaultDataFolder() const;

  const Edition& edition_;
  QString instance_;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs* dialogs_;
  ProgramState state_;

  QTabWidget* PageControl1_ = nullptr;
  std::array<ChartPage*, kBoardCount> chartPages_{};
  std::array<ConfigPage*, kBoardCount> configPages_{};
  ClientPage* clientPage_ = nullptr;
  DisplayPage* displayPage_ = nullptr;
  QStatusBar* sbar_ = nullptr;

  QTimer* timerS_ = nullptr;
  QTimer* timer1_ = nullptr;
  QTimer* timer2_ = nullptr;
  QTimer* timerC_ = nullptr;

  std::unique_ptr<ConfigController> config_;
  std::unique_ptr<AcquisitionController> acquisition_;
  std::unique_ptr<BoardLinkController> boards_;  // logger only
  std::unique_ptr<DataNetwork> network_;
  std::unique_ptr<AlarmSound> alarmSound_;
  LiveFeed* feed_ = nullptr;
  std::unique_ptr<MqttPublisher> mqtt_;  // null: not publishing
  std::unique_ptr<WebServer> web_;  // the live web read-out, when configured
  std::unique_ptr<HealthPresenter> health_;  // the thermocouple health checks
  std::array<AlarmController*, kBoardCount> alarms_{};  // per board: limits, switches, relays

  bool started_ = false;   // the start sequence has run
  // The image holds the records of the settings file or the first run's
  // defaults: only then may a save write it.
  bool settingsLoaded_ = false;
  bool shutDown_ = false;  // the orderly shutdown has run
  bool askBeforeClose_ = true;
  int closeDelayMs_ = 500;
};

}  // namespace tessar
