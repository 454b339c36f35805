#include "shell/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QThread>
#include <cstdio>

#include "acquisition/ui/acquisition_controller.h"
#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/alarm_sound.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/chart_panel.h"
#include "acquisition/ui/display_page.h"
#include "acquisition/ui/health_presenter.h"
#include "acquisition/ui/live_feed.h"
#include "browser/ui/browser_window.h"
#include "common/clock.h"
#include "common/error_log.h"
#include "common/ui/guarded.h"
#include "common/ui/qt_dialogs.h"
#include "config/ui/config_controller.h"
#include "config/ui/config_page.h"
#include "device/ui/board_link_controller.h"
#include "i18n/captions.h"
#include "i18n/text_codec.h"
#include "i18n/ui/caption_setter.h"
#include "mqtt/ui/mqtt_service.h"
#include "net/ui/client_page.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "settings/platform_paths.h"
#include "shell/ui/headless.h"
#include "web/ui/web_server.h"
#include "web/web_config.h"

namespace tessar {

namespace {
constexpr const char* kTabSheetNames[10] = {"TabSheet1", "TabSheet3", "TabSheet7", "TabSheet8",
                                            "TabClient", "TabSheet2", "TabSheet5", "TabSheet6",
                                            "TabSheet9", "TabSheet10"};
constexpr const char* kConfigMenuNames[4] = {"ConfigA1", "ConfigA2", "Config31", "Config41"};
}  // namespace

MainWindow::MainWindow(const Edition& edition, const QString& executablePath, Dialogs* dialogs,
                       const QString& instance, QWidget* parent)
    : QMainWindow(parent), edition_(edition), instance_(instance), dialogs_(dialogs) {
  if (dialogs_ == nullptr) {
    ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  const QString program = QDir::cleanPath(executablePath);
  const QString exeDirectory = QFileInfo(program).path();
  state_.ProgramDirectory = ProgramDirectory(exeDirectory, instance_);
  // an instance also finds the alarm sound of the folder it lies in
  const QString shared = instance_.isEmpty() ? QString() : QFileInfo(state_.ProgramDirectory).path();
  state_.AlarmSoundPath = AlarmSoundPathFor(state_.ProgramDirectory, shared, exeDirectory);
  state_.SettingsPath = SettingsPathIn(state_.ProgramDirectory, program);
  state_.ErrorLogPath = ErrorLogPath(state_.ProgramDirectory, edition.errorLogName);
  // the error log takes every unhandled error of the run
  SetProgramErrorLog(state_.ErrorLogPath);

  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(edition_.applicationTitle));
  setFixedSize(1024, 736);  // the window keeps its designed size
  BuildPages();
  BuildMenus();
  BuildControllers();
  // each board's alarms, with its port where the edition has ports
  alarmSound_ = std::make_unique<AlarmSound>(state_.AlarmSoundPath);
  for (int b = 0; b < kBoardCount; ++b) {
    alarms_[b] = new AlarmController(b, *chartPages_[b], {configPages_[b]->ChkR, configPages_[b]->ChkDO},
                                     state_, boards_ ? &boards_->Link().BoardPort(b) : nullptr,
                                     *alarmSound_, sbar_, clientPage_->MemoS, this);
  }
  acquisition_->SetAlarms(alarms_);
  feed_ = new LiveFeed(this);
  acquisition_->SetFeed(feed_);
  ConnectPages();
  // measurement state: frame buffers zeroed, every value 0.0 and without data
  for (BoardRunState& board : state_.Boards) board = BoardRunState{};
  if (edition_.IsClient()) {
    clientPage_->ChkNetOff->hide();
    config_->ApplyViewerLayout();
  }
  timerS_->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildPages() {
  PageControl1_ = new QTabWidget(this);
  PageControl1_->setObjectName(QStringLiteral("PageControl1"));
  setCentralWidget(PageControl1_);
  displayPage_ = new DisplayPage(PageControl1_);
  clientPage_ = new ClientPage(QString::fromLatin1(edition_.serverListCaption), PageControl1_);
  for (int b = 0; b < kBoardCount; ++b) {
    chartPages_[b] = new ChartPage(b, PageControl1_);
    chartPages_[b]->SetModel(&state_.Boards[b].chart);
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
  sbar_ = new QStatusBar(this);
  sbar_->setObjectName(QStringLiteral("SBar"));
  sbar_->setSizeGripEnabled(false);
  setStatusBar(sbar_);

  auto makeTimer = [this](const char* name, int interval) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    return timer;
  };
  timerS_ = makeTimer("TimerS", 100);
  timer1_ = makeTimer("Timer1", 1000);
  timer2_ = makeTimer("Timer2", 1000);
  timerC_ = makeTimer("TimerC", 5000);
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* file = bar->addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("MMFile"));
  QAction* browser = file->addAction(QStringLiteral("Browser"));
  browser->setObjectName(QStringLiteral("MMBrowser"));
  // The record browser opens from here and from every board's "Browser / Print".
  const auto openBrowser = [this] {
    sbar_->clearMessage();
    BrowserWindow::Open(state_, *dialogs_, this);
  };
  connect(browser, &QAction::triggered, this, openBrowser);
  for (ChartPage* page : chartPages_) connect(page->BtBrowser, &QPushButton::clicked, this, openBrowser);
  QAction* exit = file->addAction(QStringLiteral("Exit"));
  exit->setObjectName(QStringLiteral("MMExit"));
  connect(exit, &QAction::triggered, this, Guarded(exit, [this] { MMExitClick(); }));

  QMenu* configure = bar->addMenu(QStringLiteral("Configure"));
  configure->setObjectName(QStringLiteral("MMConf"));
  for (int b = 0; b < kBoardCount; ++b) {
    QAction* item = configure->addAction(QStringLiteral("Config %1").arg(b + 1));
    item->setObjectName(QString::fromLatin1(kConfigMenuNames[b]));
    connect(item, &QAction::triggered, this, Guarded(item, [this, b] {
              sbar_->clearMessage();
              PageControl1_->setCurrentIndex(kPageConfig1 + b);
            }));
  }
  for (int b = 0; b < kBoardCount; ++b) bar->addMenu(chartPages_[b]->ChartMenu);
}

// The subsystems behind the pages. The board ports exist only where the
// edition reads devices.
void MainWindow::BuildControllers() {
  config_ = std::make_unique<ConfigController>(state_, configPages_, *dialogs_);
  const ConfigPage& page1 = *configPages_[0];
  acquisition_ = std::make_unique<AcquisitionController>(
      state_, chartPages_,
      [&page1] {
        LiveControls controls;
        controls.ohmCorrection = page1.ChkOhm->isChecked();
        controls.zeroCorrection = page1.ChbZero->isChecked();
        controls.useFixedColdJunction = page1.ChbTref->isChecked();
        controls.fixedColdJunction = page1.EdTref->text().toStdString();
        return controls;
      },
      clientPage_->MemoR, clientPage_->MemoS);
  if (edition_.IsClient()) {
    network_ = std::make_unique<DataNetwork>(
        state_, *clientPage_,
        DataNetwork::Viewer{configPages_, chartPages_,
                            [this](int b) { return acquisition_->InputsOf(b); },
                            [this](int b) { ShowBoardRecord(b); },
                            [this](int b, const CycleOutcome& outcome) {
                              acquisition_->ApplyOutcome(b, outcome);
                            }});
  } else {
    network_ = std::make_unique<DataNetwork>(state_, *clientPage_);
  }
  connect(network_.get(), &DataNetwork::StatusMessage, this,
          Guarded(network_.get(), [this](const QString& text) { SetStatus(text); }));
  // what the user does on the live pages
  for (int b = 0; b < kBoardCount; ++b) {
    auto* panel = new ChartPanel(*chartPages_[b], *displayPage_, state_, *dialogs_, sbar_, this);
    panel->SetErrorLog([this](const QString& senderClass, const QString& message) {
      AppendErrorLog(state_.ErrorLogPath, Now(), senderClass, message);
    });
  }
  if (!edition_.usesSerialPorts) return;
  boards_ = std::make_unique<BoardLinkController>(
      state_.ProgramDirectory + QStringLiteral("/ports"),
      [this](int b) -> FrameState& { return state_.Boards[b].frame; }, state_.Settings, *timerC_);
  BoardLinkController* boards = boards_.get();
  connect(boards, &BoardLinkController::StatusMessage, this,
          Guarded(boards, [this](const QString& text) { SetStatus(text); }));
  connect(boards, &BoardLinkController::MessageBox, this,
          Guarded(boards, [this](const QString& text) { dialogs_->ShowMessage(text); }));
  // a port refused to this user: the reason where a person looks for it
  connect(boards, &BoardLinkController::PortAccessDenied, this,
          Guarded(boards, [this](int b, const QString& advice) {
            WriteErrorLine(advice);
            configPages_[b]->CBPort->setToolTip(advice);
          }));
  connect(boards, &BoardLinkController::DialogueRunning, this,
          Guarded(boards, [this](bool running) { config_->SetGetConfigureEnabled(!running); }));
  // A sound reply: the configuration page and the board's conversion follow
  // the new record. The chart page and the frame length follow at the next start.
  connect(boards, &BoardLinkController::BoardConfigured, this, Guarded(boards, [this](int b) {
            tessar::ApplyConfigPage(b, state_, boardPages(b));
            acquisition_->ApplyRecord(b);
          }));
}

void MainWindow::ConnectPages() {
  connect(PageControl1_, &QTabWidget::currentChanged, this,
          Guarded(PageControl1_, [this](int index) { PageShown(index); }));
  for (int b = 0; b < kBoardCount; ++b) {
    ConfigPage* page = configPages_[b];
    connect(page->OKBtn, &QPushButton::clicked, this,
            Guarded(page->OKBtn, [this, b] { OKBtn1Click(b); }));
    connect(page->RgTC, &RadioGroup::itemClicked, this,
            Guarded(page->RgTC, [this, b] { RgTC1Click(b); }));
    // the interval is stored at once and restarts the board's record countdown
    connect(page->UDInt, &QSpinBox::valueChanged, this, Guarded(page->UDInt, [this, b](int position) {
              if (!state_.UiReady) return;
              if (edition_.IsClient()) {  // the viewer's interval is its poll interval
                network_->SetPollInterval(b, position);
              } else {
                acquisition_->SetSampleInterval(b, position);
              }
            }));
    connect(page->BtnGet, &QPushButton::clicked, this, Guarded(page->BtnGet, [this, page, b] {
              if (boards_) boards_->GetConfigure(b, page->CBPort->currentIndex(),
                                                 page->CBPort->currentText());
            }));
    connect(page->BtRestart, &QPushButton::clicked, this,
            Guarded(page->BtRestart, [this, b] { SetStatus(acquisition_->Restart(b)); }));
  }
  connect(configPages_[0], &ConfigPage::directoryChanged, this,
          Guarded(configPages_[0], [this](const QString& path) {
            if (state_.UiReady) state_.CurrentDataDirectory = path;
          }));
  connect(clientPage_->ChkNetOff, &QCheckBox::clicked, this,
          Guarded(clientPage_->ChkNetOff, [this] { network_->NetSwitchClicked(); }));
  connect(timerS_, &QTimer::timeout, this, Guarded(timerS_, [this] { TimerSTimer(); }));
  connect(timer1_, &QTimer::timeout, this, Guarded(timer1_, [this] { Timer1Timer(); }));
  connect(timer2_, &QTimer::timeout, this, Guarded(timer2_, [this] { Timer2Timer(); }));
  connect(timerC_, &QTimer::timeout, this, Guarded(timerC_, [this] { TimerCTimer(); }));
}

BoardPages MainWindow::boardPages(int board) const {
  return BoardPages{chartPages_[board], configPages_[board], displayPage_};
}

DeviceLink* MainWindow::deviceLink() const { return boards_ ? &boards_->Link() : nullptr; }

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
  config_->FillPortLists(state_.ProgramDirectory + QStringLiteral("/ports"));
  // 3. caption
  setWindowTitle(QString::fromLatin1(edition_.caption));
  // 4. model kinds, serial ports, empty range lists
  for (BoardRunState& board : state_.Boards) board.frame.ModelKind = 0;
  config_->ClearRangeItems();
  if (boards_) boards_->PreparePorts();
  if (edition_.IsClient()) {
    StartViewer();
  } else {
    StartLogger();
  }
  emit StartSequenceDone();
}

void MainWindow::StartLogger() {
  // 5. settings
  state_.FirstRun = !LoadSettings(state_.SettingsPath.toStdString(), state_.Settings);
  if (state_.FirstRun) FillDefaults(state_.Settings, DefaultDataFolder());
  settingsLoaded_ = true;
  const BoardSettings& first = state_.Settings.boards[0];
  // 6. language, axis mode, filter length
  state_.KoreanUi = first.englishUi == 0;
  state_.ElapsedAxis = first.elapseTimeAxis != 0;
  config_->ShowProgramChoices();
  if (boards_) boards_->SetKoreanUi(state_.KoreanUi);
  // 7. every board's record on its pages
  for (int b = 0; b < kBoardCount; ++b) ShowBoardRecord(b);
  // 8. the data directory
  UseDataDirectory(ReadField(first.dataDirectory));
  // 9. captions
  ApplyLanguage();
  // 10. from here on the change handlers act
  state_.UiReady = true;
  // 11. first run: the user configures and starts again
  if (state_.FirstRun) {
    PageControl1_->setCurrentIndex(kPageConfig1);
    return;
  }
  // 12. acquisition, servers, ports
  timer1_->start();
  network_->OpenServers();
  // before the ports: a port's failure box waits for the user, the
  // publishing and the web read-out need not; their line is shown last
  const QString services = StartServices();
  if (boards_) boards_->OpenBoardPorts();
  if (!services.isEmpty()) SetStatus(services);
}

// The viewer's start in place of steps 5 to 12: its own settings file,
// default records until a server sends its own, Timer2 only.
void MainWindow::StartViewer() {
  const bool ownFile = QFileInfo::exists(state_.SettingsPath);
  network_->LoadClientSettings();
  settingsLoaded_ = true;
  FillDefaults(state_.Settings, DefaultDataFolder());
  for (int b = 0; b < kBoardCount; ++b) ShowBoardRecord(b);
  // an instance without its file yet records apart from the other viewers
  UseDataDirectory(ownFile || instance_.isEmpty() ? network_->ClientDataDirectory()
                                                  : FromCp949(DefaultDataFolder()));
  ApplyLanguage();
  PageControl1_->setCurrentIndex(kPageConfig1);
  state_.UiReady = true;
  timer2_->start();
  const QString services = StartServices();
  if (!services.isEmpty()) SetStatus(services);
}

QString MainWindow::StartServices() {
  if (!health_) health_ = StartHealthChecks(state_, chartPages_, sbar_, feed_, *acquisition_);
  if (!mqtt_) {
    mqtt_ = StartMqttPublishing(state_.SettingsPath, *feed_, state_,
                                [this](const QString& text) { SetStatus(text); });
  }
  if (web_) return {};  // started already
  QString message;
  web_ = StartWebServer(
      QString::fromStdString(WebConfigPathFor(state_.SettingsPath.toStdString())), state_,
      *feed_, QString::fromLatin1(edition_.caption), message);
  if (!web_ && !message.isEmpty()) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  // the viewer counts no ticks: its boards receive while their polls answer
  if (web_ && network_->Client()) {
    web_->SetRecordPace([client = network_->Client()](int b) { return client->PollInterval(b); });
  }
  return message;
}

void MainWindow::StopServices() {
  if (mqtt_) mqtt_->Stop();
  mqtt_.reset();
  web_.reset();
}

// The data directory of the run becomes the current one, created with its
// missing parents, and is selected on page 1.
void MainWindow::UseDataDirectory(const QString& path) {
  state_.CurrentDataDirectory = path;
  acquisition_->SetRecordingDirectory(path);
  if (!state_.CurrentDataDirectory.isEmpty() && !QDir(state_.CurrentDataDirectory).exists())
    QDir().mkpath(state_.CurrentDataDirectory);
  configPages_[0]->SelectDirectory(state_.CurrentDataDirectory);
}

void MainWindow::ShowBoardRecord(int board) {
  ApplyOptions options;
  options.selectPortAndInterval = !edition_.IsClient();
  tessar::ApplyChartPage(board, state_, boardPages(board), options);
  tessar::ApplyConfigPage(board, state_, boardPages(board));
}

// Each instance records into a folder of its own unless its settings say otherwise.
std::string MainWindow::DefaultDataFolder() const {
  std::string folder = edition_.dataFolderName;
  if (!instance_.isEmpty()) folder.append(1, '-').append(instance_.toStdString());
  return DefaultDataDirectory(folder.c_str());
}

void MainWindow::ApplyLanguage() {
  if (!state_.KoreanUi) return;
  ApplyKoreanCaptions(this, KoreanCaptionTable(state_.ElapsedAxis, edition_.IsClient()));
}

void MainWindow::Timer1Timer() { acquisition_->Tick(); }
void MainWindow::Timer2Timer() { network_->PollTick(); }

// The Get Configure reply did not come within 5 s.
void MainWindow::TimerCTimer() {
  if (boards_) {
    boards_->OnReplyTimeout();
  } else {
    timerC_->stop();
  }
}

// Success or not, the close confirmation follows the storing.
void MainWindow::OKBtn1Click(int /*board*/) {
  config_->Store();
  close();
}

void MainWindow::RgTC1Click(int board) { config_->SensorTypeClicked(board); }

void MainWindow::PageShown(int index) {
  if (index >= kPageDaq1 && index < kPageDaq1 + kBoardCount) {
    chartPages_[index - kPageDaq1]->Chk[0]->setFocus();
  } else if (index >= kPageConfig1 && index < kPageConfig1 + kBoardCount) {
    ConfigPage* page = configPages_[index - kPageConfig1];
    if (page->GBCPort->isVisible()) page->CBPort->setFocus();
  }
}

// ---------------------------------------------------------------------------
// Closing: the confirmation; on OK the orderly shutdown, pending events, the
// pause, the end of the application.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (shutDown_) {
    event->accept();
    return;
  }
  if (askBeforeClose_ &&
      !dialogs_->Confirm(Message(Msg::ExitConfirmText), Message(Msg::ExitConfirmCaption))) {
    event->ignore();
    return;
  }
  OrderlyShutdown();
  event->accept();
  QCoreApplication::processEvents();
  if (closeDelayMs_ > 0) QThread::msleep(static_cast<unsigned long>(closeDelayMs_));
  QCoreApplication::exit(0);
}

void MainWindow::CloseUnasked() {
  askBeforeClose_ = false;
  close();
}

void MainWindow::OrderlyShutdown() {
  shutDown_ = true;
  // 1. the settings file is written first
  SaveSettings();
  // 2. "Server is closed" to every connected client, then pending events
  network_->NotifyClientsServerClosed();
  QCoreApplication::processEvents();
  StopServices();
  // 3-4. relay outputs off, ports closed
  if (boards_) boards_->ResetRelaysAndClosePorts();
  // 5-6. client list and servers
  network_->CloseServers();
}

// The last values of the controls go into the image, which is written. The
// viewer writes its own settings file instead, never the logger's image. A
// close before the start sequence loaded the settings (in its first 100 ms, or
// when the sequence stopped early) writes nothing: the image holds no records
// then, and writing it would replace the user's file with zeros.
void MainWindow::SaveSettings() {
  if (!settingsLoaded_) return;
  if (edition_.IsClient()) {
    network_->SaveClientSettings();
    return;
  }
  config_->GatherForSaving();
  acquisition_->GatherAlarmLimits();
  WriteSettingsImage(state_.SettingsPath.toStdString(), state_.Settings);
}

}  // namespace tessar
