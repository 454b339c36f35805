// The main window of both programs: the ten pages, the main menu, the status
// bar, the four timers, the start sequence, the close confirmation and the
// orderly shutdown. The pages are classes of their own (ChartPage,
// ConfigPage, ClientPage, DisplayPage); the run-time state lives in one
// ProgramState reached through state(). Later subsystems fill the clearly
// named steps below (look for "filled by").
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QString>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <memory>

#include "common/dialogs.h"
#include "config/ui/board_pages.h"
#include "i18n/messages.h"
#include "shell/edition.h"
#include "acquisition/program_state.h"

namespace tessar {

class AlarmController;
class AlarmSound;
class ChartPage;
class ClientPage;
class ConfigPage;
class DeviceLink;
class DisplayPage;
struct CycleInputs;

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
  // `dialogs` null: the window asks through Qt's own dialogs.
  MainWindow(const Edition& edition, const QString& executableDirectory,
             Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  const Edition& edition() const { return edition_; }
  ProgramState& state() { return state_; }
  const ProgramState& state() const { return state_; }
  Dialogs& dialogs() { return *dialogs_; }

  // --- pages and controls ---
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

  // The status bar line (a new text replaces the old one).
  void SetStatus(const QString& text);
  // A message of the pair table in the language of the run.
  QString Message(Msg id) const { return MessageText(id, state_.KoreanUi); }

  // --- the start sequence and the timers ---
  void TimerSTimer();
  void Timer1Timer();
  void Timer2Timer();
  void TimerCTimer();

  // The five serial channels and the Get Configure dialogue; null in the
  // viewer, which opens no serial port.
  DeviceLink* deviceLink() const { return deviceLink_.get(); }
  // The ports/ folder beside the executable, whose "COMn" entries name devices.
  QString PortsFolder() const;

  // --- buttons of the pages ---
  void BtnGet1Click(int board);     // "Get Configure"
  void BtRestart1Click(int board);  // "Restart"

  // --- showing records, language ---
  void ApplyChartPage(int board);
  void ApplyConfigPage(int board);
  void ApplyLanguage(bool koreanUi);

  // --- handlers of the configuration pages and menus ---
  void OKBtn1Click(int board);
  void RgTC1Click(int board);
  void EdInt1Change(int board);
  void DirectoryListBox1Change(const QString& path);
  void ConfigMenuClick(int board);
  void MMExitClick();
  void ChkNetOffClick();

  // --- closing ---
  // The exit confirmation; on OK runs the orderly shutdown and returns true.
  bool FormCloseQuery();
  // After a confirmed close: pending events, the pause, the end of the application.
  void FormClose();
  // Gathers the last values from the controls and writes the settings file.
  void SaveSettings();
  // The pause of FormClose before the application ends (500 ms; tests set 0).
  void SetCloseDelayMs(int ms) { closeDelayMs_ = ms; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void BuildMenus();
  void ApplyEditionLayout();
  void PageShown(int index);

  // Steps of the start sequence that later subsystems fill.
  void FillPortLists();            // step 2: "No Use" and the serial ports present
  void PrepareSerialPorts();       // step 4: ComPort1..ComPort5 at 9600 baud
  void OpenDataServers();          // step 12: filled by the data server issue (SS1..SS4)
  void OpenBoardPortsAndSendDK();  // step 12: the used board ports opened, "DK" sent
  void StartClientSequence();      // the viewer's start, filled by the editions issue

  // The acquisition tick of Timer1: countdowns, frames handed to the cycle
  // of each board, the outcomes shown on the chart pages.
  void RunAcquisitionTick();
  // What a board's cycle reads from the window besides its own state.
  CycleInputs CycleInputsOf(int board) const;

  // Get Configure: the device link's dialogue wired to the window.
  void ConnectDeviceLink();
  void ConfigDialogueRunning(bool running);
  void BoardConfigured(int board, const BoardSettings& record);

  // Steps of the orderly shutdown, in this order.
  void OrderlyShutdown();
  void NotifyClientsServerClosed();  // step 2: filled by the data server issue
  void ResetRelaysAndClosePorts();   // steps 3-4: outputs off on open ports, ports closed
  void CloseDataServers();           // steps 5-6: filled by the data server issue

  const Edition& edition_;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs* dialogs_;
  ProgramState state_;

  QTabWidget* PageControl1_ = nullptr;
  std::array<ChartPage*, kBoardCount> chartPages_{};
  std::array<ConfigPage*, kBoardCount> configPages_{};
  ClientPage* clientPage_ = nullptr;
  std::unique_ptr<DeviceLink> deviceLink_;
  std::unique_ptr<AlarmSound> alarmSound_;
  std::array<AlarmController*, kBoardCount> alarms_{};  // per board: limits, switches, relays
  DisplayPage* displayPage_ = nullptr;
  QStatusBar* sbar_ = nullptr;
  QMenu* MMFile_ = nullptr;
  QMenu* MMConf_ = nullptr;

  QTimer* timerS_ = nullptr;
  QTimer* timer1_ = nullptr;
  QTimer* timer2_ = nullptr;
  QTimer* timerC_ = nullptr;

  bool started_ = false;       // the start sequence has run
  bool shutDown_ = false;      // the orderly shutdown has run
  int closeDelayMs_ = 500;
};

}  // namespace tessar
