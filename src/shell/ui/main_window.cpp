#include "shell/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QThread>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/alarm_sound.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/ui/qt_dialogs.h"
#include "config/number_text.h"
#include "config/ui/config_page.h"
#include "device/ui/device_link.h"
#include "device/ui/port_list.h"
#include "i18n/captions.h"
#include "i18n/text_codec.h"
#include "i18n/ui/caption_setter.h"
#include "settings/platform_paths.h"
#include "shell/error_log.h"
#include "acquisition/ui/chart_page.h"
#include "net/ui/client_page.h"
#include "acquisition/ui/display_page.h"
#include "shell/ui/tessar_application.h"

namespace tessar {

namespace {
constexpr const char* kTabSheetNames[10] = {"TabSheet1", "TabSheet3", "TabSheet7", "TabSheet8",
                                            "TabClient", "TabSheet2", "TabSheet5", "TabSheet6",
                                            "TabSheet9", "TabSheet10"};
constexpr const char* kConfigMenuNames[4] = {"ConfigA1", "ConfigA2", "Config31", "Config41"};
}  // namespace

MainWindow::MainWindow(const Edition& edition, const QString& executableDirectory,
                       Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), edition_(edition), dialogs_(dialogs) {
  if (dialogs_ == nullptr) {
    ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  state_.ExeDirectory = QDir::cleanPath(executableDirectory);
  state_.AlarmSoundPath = state_.ExeDirectory + QStringLiteral("/alarm.wav");
  state_.SettingsPath =
      state_.ExeDirectory + QLatin1Char('/') + QString::fromLatin1(edition.settingsFileName);
  state_.ErrorLogPath = ErrorLogPath(state_.ExeDirectory, edition.errorLogName);
  // the error log takes every unhandled error of the run
  if (auto* app = qobject_cast<TessarApplication*>(QCoreApplication::instance()))
    app->SetErrorLogPath(state_.ErrorLogPath);
  FormCreate();
}

MainWindow::~MainWindow() = default;

// Builds the window and the run-time state, then arms the start sequence.
void MainWindow::FormCreate() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(edition_.applicationTitle));
  setFixedSize(1024, 736);  // the window keeps its designed size

  PageControl1_ = new QTabWidget(this);
  PageControl1_->setObjectName(QStringLiteral("PageControl1"));
  setCentralWidget(PageControl1_);

  displayPage_ = new DisplayPage(PageControl1_);
  clientPage_ = new ClientPage(QString::fromLatin1(edition_.serverListCaption), PageControl1_);
  for (int b = 0; b < kBoardCount; ++b) {
    chartPages_[b] = new ChartPage(b, PageControl1_);
    configPages_[b] = new ConfigPage(b, PageControl1_);
  }
  QWidget* pages[10] = {chartPages_[0], chartPages_[1], chartPages_[2], chartPages_[3],
                        clientPage_,    displayPage_,   configPages_[0], configPages_[1],
                        configPages_[2], configPages_[3]};
  const QString captions[10] = {"DAQ 1", "DAQ 2", "DAQ 3", "DAQ 4",
                                QString::fromLatin1(edition_.networkPageCaption),
                                "Display", "Config 1", "Config 2", "Config 3", "Config 4"};
  for (int i = 0; i < 10; ++i) {
    pages[i]->setObjectName(QString::fromLatin1(kTabSheetNames[i]));
    PageControl1_->addTab(pages[i], captions[i]);
  }
  connect(PageControl1_, &QTabWidget::currentChanged, this, &MainWindow::PageShown);

  sbar_ = new QStatusBar(this);
  sbar_->setObjectName(QStringLiteral("SBar"));
  sbar_->setSizeGripEnabled(false);
  setStatusBar(sbar_);
  BuildMenus();

  // handlers of the configuration pages
  for (int b = 0; b < kBoardCount; ++b) {
    ConfigPage* page = configPages_[b];
    connect(page->OKBtn, &QPushButton::clicked, this, [this, b] { OKBtn1Click(b); });
    connect(page->RgTC, &RadioGroup::itemClicked, this, [this, b] { RgTC1Click(b); });
    connect(page->UDInt, &QSpinBox::valueChanged, this, [this, b] { EdInt1Change(b); });
    connect(page->BtnGet, &QPushButton::clicked, this, [this, b] { BtnGet1Click(b); });
    connect(page->BtRestart, &QPushButton::clicked, this, [this, b] { BtRestart1Click(b); });
  }
  connect(configPages_[0], &ConfigPage::directoryChanged, this,
          &MainWindow::DirectoryListBox1Change);
  connect(clientPage_->ChkNetOff, &QCheckBox::clicked, this, &MainWindow::ChkNetOffClick);

  // measurement state: frame buffers zeroed, every value 0.0 and without data
  for (BoardRunState& board : state_.Boards) board = BoardRunState{};

  auto makeTimer = [this](const char* name, int interval, void (MainWindow::*handler)()) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, this, handler);
    return timer;
  };
  timerS_ = makeTimer("TimerS", 100, &MainWindow::TimerSTimer);
  timer1_ = makeTimer("Timer1", 1000, &MainWindow::Timer1Timer);
  timer2_ = makeTimer("Timer2", 1000, &MainWindow::Timer2Timer);
  timerC_ = makeTimer("TimerC", 5000, &MainWindow::TimerCTimer);

  // The serial channels exist only where the edition reads devices.
  if (edition_.usesSerialPorts) ConnectDeviceLink();
  alarmSound_ = std::make_unique<AlarmSound>(state_.AlarmSoundPath);
  for (int b = 0; b < kBoardCount; ++b) {
    alarms_[b] = new AlarmController(
        b, *chartPages_[b], {configPages_[b]->ChkR, configPages_[b]->ChkDO}, state_,
        deviceLink_ ? &deviceLink_->BoardPort(b) : nullptr, *alarmSound_, sbar_,
        clientPage_->MemoS, this);
  }

  ApplyEditionLayout();
  timerS_->start();
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  MMFile_ = bar->addMenu(QStringLiteral("File"));
  MMFile_->setObjectName(QStringLiteral("MMFile"));
  QAction* browser = MMFile_->addAction(QStringLiteral("Browser"));
  browser->setObjectName(QStringLiteral("MMBrowser"));  // the record browser opens here
  QAction* exit = MMFile_->addAction(QStringLiteral("Exit"));
  exit->setObjectName(QStringLiteral("MMExit"));
  connect(exit, &QAction::triggered, this, &MainWindow::MMExitClick);

  MMConf_ = bar->addMenu(QStringLiteral("Configure"));
  MMConf_->setObjectName(QStringLiteral("MMConf"));
  for (int b = 0; b < kBoardCount; ++b) {
    QAction* item = MMConf_->addAction(QStringLiteral("Config %1").arg(b + 1));
    item->setObjectName(QString::fromLatin1(kConfigMenuNames[b]));
    connect(item, &QAction::triggered, this, [this, b] { ConfigMenuClick(b); });
  }
  for (int b = 0; b < kBoardCount; ++b) bar->addMenu(chartPages_[b]->ChartMenu);
}

// What the viewer shows differently from the logger on its pages.
void MainWindow::ApplyEditionLayout() {
  if (!edition_.IsClient()) return;
  clientPage_->ChkNetOff->hide();
  for (ConfigPage* page : configPages_) {
    page->GBCPort->hide();
    page->GBIP->show();
    page->GBDO->hide();
    page->BtnGet->hide();
  }
}

BoardPages MainWindow::boardPages(int board) const {
  return BoardPages{chartPages_[board], configPages_[board], displayPage_};
}

void MainWindow::SetStatus(const QString& text) { sbar_->showMessage(text); }

QString MainWindow::PortsFolder() const { return state_.ExeDirectory + QStringLiteral("/ports"); }

void MainWindow::ConnectDeviceLink() {
  deviceLink_ = std::make_unique<DeviceLink>(
      PortsFolder(), [this](int b) -> FrameState& { return state_.Boards[b].frame; });
  DeviceLink& link = *deviceLink_;
  connect(&link, &DeviceLink::StatusMessage, this, &MainWindow::SetStatus);
  connect(&link, &DeviceLink::MessageBox, this,
          [this](const QString& text) { dialogs_->ShowMessage(text); });
  ConfigDialogue& dialogue = link.Dialogue();
  dialogue.UseReplyTimer(*timerC_);
  dialogue.SetRecordSource(
      [this](int b) -> const BoardSettings& { return state_.Settings.boards[b]; });
  connect(&dialogue, &ConfigDialogue::DialogueRunning, this, &MainWindow::ConfigDialogueRunning);
  // The model kind changes as soon as the reply names a known model, also
  // when a later part of the reply fails. A frame still waiting from the
  // board's former model would be read in the new model's layout: it is
  // dropped (the board's port is closed by Get Configure, so none follows).
  connect(&dialogue, &ConfigDialogue::ModelKindFound, this, [this](int b, int kind) {
    FrameState& frame = state_.Boards[b].frame;
    if (frame.ModelKind != kind) frame.FrameReady = false;
    frame.ModelKind = kind;
  });
  connect(&dialogue, &ConfigDialogue::Configured, this,
          [this](int b, const BoardSettings& record, ConfigOutcome) { BoardConfigured(b, record); });
}

// ---------------------------------------------------------------------------
// Start sequence: first tick of TimerS, 100 ms after the window was created.
void MainWindow::TimerSTimer() {
  if (started_) return;
  started_ = true;
  // 1. top-left corner, TimerS off, page "DAQ 1"
  move(0, 0);
  timerS_->stop();
  PageControl1_->setCurrentIndex(kPageDaq1);
  // 2. the port lists
  FillPortLists();
  // 3. caption
  setWindowTitle(QString::fromLatin1(edition_.caption));
  // 4. model kinds, serial ports, empty range lists
  for (int b = 0; b < kBoardCount; ++b) {
    state_.Boards[b].frame.ModelKind = 0;
    configPages_[b]->ClearRangeItems();
  }
  PrepareSerialPorts();

  if (edition_.IsClient()) {
    StartClientSequence();
    return;
  }

  // 5. settings
  state_.FirstRun = !LoadSettings(state_.SettingsPath.toStdString(), state_.Settings);
  if (state_.FirstRun) FillDefaults(state_.Settings, DefaultDataDirectory(edition_.dataFolderName));
  const BoardSettings& first = state_.Settings.boards[0];
  // 6. language, axis mode, filter length
  state_.KoreanUi = first.englishUi == 0;
  ConfigPage& page1 = *configPages_[0];
  page1.ChbEnglish->setChecked(first.englishUi != 0);
  state_.ElapsedAxis = first.elapseTimeAxis != 0;
  page1.ChkElapse->setChecked(state_.ElapsedAxis);
  page1.UDQueue->setValue(first.filterLength);
  if (deviceLink_) deviceLink_->SetKoreanUi(state_.KoreanUi);
  // 7. every board's record on its pages
  for (int b = 0; b < kBoardCount; ++b) {
    ApplyChartPage(b);
    ApplyConfigPage(b);
  }
  // 8. the data directory
  state_.CurrentDataDirectory = ReadField(first.dataDirectory);
  if (!state_.CurrentDataDirectory.isEmpty() && !QDir(state_.CurrentDataDirectory).exists())
    QDir().mkpath(state_.CurrentDataDirectory);
  page1.SelectDirectory(state_.CurrentDataDirectory);
  // 9. captions
  ApplyLanguage(state_.KoreanUi);
  // 10. from here on the change handlers act
  state_.UiReady = true;
  // 11. first run: the user configures and starts again
  if (state_.FirstRun) {
    PageControl1_->setCurrentIndex(kPageConfig1);
    return;
  }
  // 12. acquisition, servers, ports
  timer1_->start();
  OpenDataServers();
  OpenBoardPortsAndSendDK();
}

// Step 2: "No Use" and the serial ports present on the system (the ports/
// folder's entries and the system's serial devices), sorted as text.
void MainWindow::FillPortLists() {
  QStringList names;
  QStringList paths;
  for (const PortEntry& entry : EnumeratePorts(PortsFolder())) {
    names << QString::fromStdString(entry.name);
    paths << QString::fromStdString(entry.devicePath);
  }
  for (ConfigPage* page : configPages_) page->SetPortItems(names, paths);
}

// Step 4: every channel at 9600 baud before any of them opens.
void MainWindow::PrepareSerialPorts() {
  if (!deviceLink_) return;
  for (int b = 0; b < kBoardCount; ++b) deviceLink_->BoardPort(b).SetBaudRate(SerialChannel::kBaudRate);
  deviceLink_->ConfigPort().SetBaudRate(SerialChannel::kBaudRate);
}

// Step 12: the data server issue opens SS1..SS4 here; an error ends that loop silently.
void MainWindow::OpenDataServers() {}

// Step 12: each board with portNumber >= 1 opens "COMn"; its after-open
// step clears the buffers, sends "DK\r" and shows "COMn was opened". A port
// that fails is closed and reported with "Failed in Opening Port"; the next
// board goes on.
void MainWindow::OpenBoardPortsAndSendDK() {
  if (!deviceLink_) return;
  deviceLink_->SetKoreanUi(state_.KoreanUi);
  deviceLink_->OpenBoardPorts(state_.Settings);
}

// The viewer's start sequence (its own settings file, Timer2, no ports or
// servers) is built by the editions issue. Until then the viewer starts on
// the defaults and writes no settings file.
void MainWindow::StartClientSequence() {
  FillDefaults(state_.Settings, DefaultDataDirectory(edition_.dataFolderName));
  state_.KoreanUi = true;
  for (int b = 0; b < kBoardCount; ++b) {
    ApplyChartPage(b);
    ApplyConfigPage(b);
  }
  state_.CurrentDataDirectory = ReadField(state_.Settings.boards[0].dataDirectory);
  if (!QDir(state_.CurrentDataDirectory).exists()) QDir().mkpath(state_.CurrentDataDirectory);
  configPages_[0]->SelectDirectory(state_.CurrentDataDirectory);
  ApplyLanguage(state_.KoreanUi);
  PageControl1_->setCurrentIndex(kPageConfig1);
  state_.UiReady = true;
}

// ---------------------------------------------------------------------------
// Timers

void MainWindow::Timer1Timer() { RunAcquisitionTick(); }

void MainWindow::RunAcquisitionTick() {
  std::array<CycleInputs, kBoardCount> inputs;
  for (int b = 0; b < kBoardCount; ++b) inputs[b] = CycleInputsOf(b);
  const auto outcomes = AcquisitionTick(state_.Boards, inputs);
  ApplyTickOutcomes(chartPages_, outcomes, clientPage_->MemoR, clientPage_->MemoS);
  for (int b = 0; b < kBoardCount; ++b)
    if (outcomes[b]) alarms_[b]->ApplyCycle(*outcomes[b]);
}

CycleInputs MainWindow::CycleInputsOf(int board) const {
  const ConfigPage& page1 = *configPages_[0];
  CycleInputs in;
  in.board = board;
  in.settings = &state_.Settings.boards[board];
  in.controls.ohmCorrection = page1.ChkOhm->isChecked();
  in.controls.zeroCorrection = page1.ChbZero->isChecked();
  in.controls.useFixedColdJunction = page1.ChbTref->isChecked();
  in.controls.fixedColdJunction = page1.EdTref->text().toStdString();
  in.scrollChart = chartPages_[board]->ChkScroll->isChecked();
  in.elapsedAxis = state_.ElapsedAxis;
  in.alarms = alarms_[board]->Inputs();
  in.dataDirectory = std::filesystem::path(QFile::encodeName(state_.CurrentDataDirectory).toStdString());
  return in;
}

// The viewer's poll tick: built by the data client issue.
void MainWindow::Timer2Timer() {}

// The Get Configure reply did not come within 5 s.
void MainWindow::TimerCTimer() {
  if (deviceLink_) {
    deviceLink_->Dialogue().OnTimerC();
  } else {
    timerC_->stop();
  }
}

// ---------------------------------------------------------------------------
// Records, language

void MainWindow::ApplyChartPage(int board) {
  ApplyOptions options;
  options.selectPortAndInterval = !edition_.IsClient();
  tessar::ApplyChartPage(board, state_, boardPages(board), options);
}

void MainWindow::ApplyConfigPage(int board) {
  tessar::ApplyConfigPage(board, state_, boardPages(board));
}

void MainWindow::ApplyLanguage(bool koreanUi) {
  if (!koreanUi) return;
  ApplyKoreanCaptions(this, KoreanCaptionTable(state_.ElapsedAxis, edition_.IsClient()));
}

// ---------------------------------------------------------------------------
// Configuration pages

void MainWindow::OKBtn1Click(int /*board*/) {
  ConfigPage& page1 = *configPages_[0];
  ProgramChoices choices;
  choices.englishUi = page1.ChbEnglish->isChecked();
  choices.elapseTimeAxis = page1.ChkElapse->isChecked();
  choices.dataDirectory = state_.CurrentDataDirectory;
  std::array<ConfigPageTexts, kBoardCount> texts;
  std::array<int, kBoardCount> kinds{};
  for (int b = 0; b < kBoardCount; ++b) {
    texts[b] = configPages_[b]->Texts();
    kinds[b] = state_.Boards[b].frame.ModelKind;
  }
  const StoreResult result = StoreConfigPages(state_.Settings, choices, texts, kinds);
  if (result.directoryTooLong) {
    dialogs_->Beep();
    dialogs_->ShowMessage(Message(Msg::DataDirectoryTooLong));
  }
  if (result.invalidNumber) {
    dialogs_->Beep();
    dialogs_->ShowMessage(Message(Msg::InvalidData));
  }
  close();  // success or not, the close confirmation follows
}

// Get Configure: the board's port is closed and its device asked for its
// configuration on ComPort5 through the port selected in the board's list.
void MainWindow::BtnGet1Click(int board) {
  if (!deviceLink_) return;
  const QComboBox& ports = *configPages_[board]->CBPort;
  deviceLink_->Dialogue().GetConfigure(board, ports.currentIndex(), ports.currentText(),
                                       &deviceLink_->BoardPort(board), state_.Settings.boards[board]);
}

// While a dialogue waits for its reply no other can start.
void MainWindow::ConfigDialogueRunning(bool running) {
  for (ConfigPage* page : configPages_) page->BtnGet->setEnabled(!running);
}

// A sound reply: the record in memory, its configuration page and the
// board's conversion settings (letter, range scales) follow it. The chart
// page and the frame length are refreshed at the next start.
void MainWindow::BoardConfigured(int board, const BoardSettings& record) {
  state_.Settings.boards[board] = record;
  ApplyConfigPage(board);
  BoardRunState& run = state_.Boards[board];
  ApplyConversionSettings(run.conversion, record, run.frame.ModelKind);
}

// A new run of the board: the next cycle records at once.
void MainWindow::BtRestart1Click(int board) {
  SetStatus(ApplyRestart(*chartPages_[board], RestartRun(state_.Boards[board], board),
                         state_.KoreanUi));
}

void MainWindow::RgTC1Click(int board) {
  if (!state_.UiReady) return;
  ConfigPage& page = *configPages_[board];
  const int item = page.RgTC->itemIndex();
  if (item < 0) return;
  state_.Settings.boards[board].boardSensorType = item;
  const int kind = state_.Boards[board].frame.ModelKind;
  const int n = kind == 0 ? 7 : kind == 1 ? 5 : 9;
  for (int k = 1; k <= n - 1; ++k) {
    if (item < 7) {
      page.CbTy[k]->setCurrentIndex(item);
      page.CbTy[k]->setEnabled(false);
    } else {
      page.CbTy[k]->setEnabled(true);
    }
  }
}

// The interval is stored at once and restarts the board's record countdown.
void MainWindow::EdInt1Change(int board) {
  if (!state_.UiReady) return;
  ApplySampleInterval(state_.Settings.boards[board], state_.Boards[board].frame,
                      configPages_[board]->UDInt->value());
}

void MainWindow::DirectoryListBox1Change(const QString& path) {
  if (!state_.UiReady) return;
  state_.CurrentDataDirectory = path;
}

void MainWindow::ConfigMenuClick(int board) {
  sbar_->clearMessage();
  PageControl1_->setCurrentIndex(kPageConfig1 + board);
}

void MainWindow::MMExitClick() { close(); }

// The network switch: built by the data server issue.
void MainWindow::ChkNetOffClick() {}

void MainWindow::PageShown(int index) {
  if (index >= kPageDaq1 && index < kPageDaq1 + kBoardCount) {
    chartPages_[index - kPageDaq1]->Chk[0]->setFocus();
  } else if (index >= kPageConfig1 && index < kPageConfig1 + kBoardCount) {
    ConfigPage* page = configPages_[index - kPageConfig1];
    if (page->GBCPort->isVisible()) page->CBPort->setFocus();
  }
}

// ---------------------------------------------------------------------------
// Closing

void MainWindow::closeEvent(QCloseEvent* event) {
  if (shutDown_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  FormClose();
}

bool MainWindow::FormCloseQuery() {
  if (!dialogs_->Confirm(Message(Msg::ExitConfirmText), Message(Msg::ExitConfirmCaption)))
    return false;
  OrderlyShutdown();
  return true;
}

void MainWindow::FormClose() {
  QCoreApplication::processEvents();
  if (closeDelayMs_ > 0) QThread::msleep(static_cast<unsigned long>(closeDelayMs_));
  QCoreApplication::exit(0);
}

void MainWindow::OrderlyShutdown() {
  shutDown_ = true;
  // 1. the settings file is written first
  SaveSettings();
  // 2. "Server is closed" to every connected client, then pending events
  NotifyClientsServerClosed();
  QCoreApplication::processEvents();
  // 3-4. relay outputs off, ports closed
  ResetRelaysAndClosePorts();
  // 5-6. client list and servers
  CloseDataServers();
}

void MainWindow::SaveSettings() {
  // The viewer keeps its own settings file (editions issue); it never writes
  // the logger's image.
  if (edition_.IsClient()) return;
  ConfigPage& page1 = *configPages_[0];
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& record = state_.Settings.boards[b];
    record.sampleInterval = static_cast<std::int16_t>(configPages_[b]->UDInt->value());
    record.filterLength = page1.UDQueue->value();
    const ChartPage& chart = *chartPages_[b];
    for (int k = 1; k <= kChannelCount; ++k) {
      double high = 0.0;
      double low = 0.0;
      if (ParseNumber(chart.EdHigh[k]->text(), high) && ParseNumber(chart.EdLow[k]->text(), low) &&
          low < high) {
        record.alarmHigh[k] = high;
        record.alarmLow[k] = low;
      }
    }
  }
  WriteSettingsImage(state_.SettingsPath.toStdString(), state_.Settings);
}

// Step 2: the data server issue sends code 240 "Server is closed" to every
// connected client here and waits 50 ms.
void MainWindow::NotifyClientsServerClosed() {}

// Steps 3-4: every board's outputs off on its open port ("D0\r" for model
// kind 0, "P0\r" for the others), then ComPort1..ComPort4 and ComPort5 closed.
void MainWindow::ResetRelaysAndClosePorts() {
  if (!deviceLink_) return;
  std::array<int, kBoardCount> kinds{};
  for (int b = 0; b < kBoardCount; ++b) kinds[b] = state_.Boards[b].frame.ModelKind;
  deviceLink_->SwitchOutputsOffAndClose(kinds);
}

// Steps 5-6: client memo cleared, client list emptied, SS1..SS4 closed: built
// by the data server issue.
void MainWindow::CloseDataServers() {}

}  // namespace tessar
