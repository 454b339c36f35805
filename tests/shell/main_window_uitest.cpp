// The main window's life cycle: creation, start sequence, closing, shutdown.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <cstdio>

#include <stdexcept>

#include "config/ui/config_page.h"
#include "settings/client_settings.h"
#include "device/ui/port_list.h"
#include "common/ui/guarded.h"
#include "i18n/text_codec.h"
#include "acquisition/ui/chart_page.h"
#include "net/ui/client_page.h"
#include "test_support.h"
#include "window_fixture.h"

namespace tessar::test {
namespace {

using Kind = ScriptedDialogs::Kind;

TEST_F(WindowTest, CreationBuildsTenPagesMenusAndTimersAndArmsTheStartSequence) {
  MainWindow window(kTessarEdition, ExePath(), &dialogs_);
  EXPECT_EQ(window.size(), QSize(1024, 736));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());

  QTabWidget* pages = window.PageControl();
  ASSERT_EQ(pages->count(), 10);
  const QStringList captions = {"DAQ 1", "DAQ 2", "DAQ 3", "DAQ 4", "Client",
                                "Display", "Config 1", "Config 2", "Config 3", "Config 4"};
  const QStringList names = {"TabSheet1", "TabSheet3", "TabSheet7", "TabSheet8", "TabClient",
                             "TabSheet2", "TabSheet5", "TabSheet6", "TabSheet9", "TabSheet10"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(pages->tabText(i), captions[i]);
    EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
  }

  QStringList menus;
  for (QAction* a : window.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"File", "Configure", "Chart1", "Chart2", "Chart3", "Chart4"}));
  QStringList chartItems;
  for (QAction* a : window.chartPage(2)->ChartMenu->actions()) chartItems << a->text();
  EXPECT_EQ(chartItems, QStringList({"Y-Max", "Y-Min", "Y-Auto", "Chart Title", "Y-Axis Title"}));
  EXPECT_NE(window.findChild<QAction*>("YAxisTitle3"), nullptr);
  EXPECT_NE(window.findChild<QAction*>("Config31"), nullptr);
  EXPECT_NE(window.findChild<QAction*>("MMBrowser"), nullptr);

  EXPECT_EQ(window.TimerS()->objectName(), "TimerS");
  EXPECT_EQ(window.TimerS()->interval(), 100);
  EXPECT_TRUE(window.TimerS()->isActive());
  EXPECT_EQ(window.Timer1()->interval(), 1000);
  EXPECT_EQ(window.Timer2()->interval(), 1000);
  EXPECT_EQ(window.TimerC()->interval(), 5000);
  EXPECT_FALSE(window.Timer1()->isActive());
  EXPECT_FALSE(window.Timer2()->isActive());
  EXPECT_FALSE(window.TimerC()->isActive());
  EXPECT_FALSE(window.state().UiReady);
  // frame buffers zeroed, every value without data
  for (const BoardRunState& board : window.state().Boards) {
    EXPECT_EQ(board.frame.FrameText[0], '\0');
    for (int i = 0; i < kSlotCount; ++i) EXPECT_EQ(board.conversion.ChannelInvalid[i], 1);
  }
}

TEST_F(WindowTest, FirstRunStopsOnConfig1InKoreanWithoutAcquisition) {
  MainWindow& window = Start();
  EXPECT_TRUE(window.state().FirstRun);
  EXPECT_FALSE(window.TimerS()->isActive());
  EXPECT_FALSE(window.Timer1()->isActive());
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageConfig1);
  EXPECT_TRUE(window.state().UiReady);
  EXPECT_TRUE(window.state().KoreanUi);
  EXPECT_EQ(window.windowTitle(), "Tessar Ver 2.1.0");
  ConfigPage& page = *window.configPage(0);
  EXPECT_EQ(page.GBCPort->title(), QString::fromUtf8("통신 포트"));
  EXPECT_EQ(page.RgTC->title(), QString::fromUtf8("열전대 타입"));
  EXPECT_EQ(page.OKBtn->text(), QString::fromUtf8("저장"));
  // port list: "No Use", then the serial ports present on this machine
  EXPECT_EQ(page.CBPort->count(), 1 + EnumComPorts(ExeDir() + "/ports").size());
  EXPECT_EQ(page.CBPort->itemText(0), "No Use");
  // the default data directory exists and is the current one
  EXPECT_EQ(window.state().CurrentDataDirectory, ExeDir() + "/Tessar");
  EXPECT_TRUE(QDir(ExeDir() + "/Tessar").exists());
  // nothing was written by starting
  EXPECT_FALSE(FileExists(SettingsPath()));
}

TEST_F(WindowTest, RunningStartEnablesTimer1AndShowsTheRecords) {
  SettingsImage image = DefaultImage();
  image.boards[0].englishUi = 1;
  image.boards[0].filterLength = 25;
  image.boards[0].elapseTimeAxis = 1;
  image.boards[2].sampleInterval = 7;
  WriteSettings(image);
  MainWindow& window = Start();
  EXPECT_FALSE(window.state().FirstRun);
  EXPECT_TRUE(window.Timer1()->isActive());
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageDaq1);
  EXPECT_FALSE(window.state().KoreanUi);
  EXPECT_TRUE(window.state().ElapsedAxis);
  EXPECT_TRUE(window.configPage(0)->ChbEnglish->isChecked());
  EXPECT_TRUE(window.configPage(0)->ChkElapse->isChecked());
  EXPECT_EQ(window.configPage(0)->UDQueue->value(), 25);
  EXPECT_EQ(window.configPage(2)->UDInt->value(), 7);
  EXPECT_EQ(window.chartPage(1)->TimeAxis->titleText(), "Elapse Time");
  // the directory was created with its missing parents
  EXPECT_TRUE(QDir(ExeDir() + "/data").exists());
  EXPECT_EQ(window.configPage(0)->LblPath1->text(), ExeDir() + "/data");
  // handlers act from now on: the interval edit stores at once
  window.configPage(2)->UDInt->setValue(9);
  EXPECT_EQ(window.state().Settings.boards[2].sampleInterval, 9);
  EXPECT_EQ(window.state().Boards[2].frame.RecordCountdown, 9);
}

TEST_F(WindowTest, ChangeHandlersDoNothingBeforeTheStartSequence) {
  WriteSettings(DefaultImage());
  MainWindow window(kTessarEdition, ExePath(), &dialogs_);
  window.configPage(1)->UDInt->setValue(12);
  window.configPage(1)->RgTC->setItemIndex(1);
  window.RgTC1Click(1);
  EXPECT_EQ(window.state().Settings.boards[1].sampleInterval, 0);
  EXPECT_EQ(window.state().Settings.boards[1].boardSensorType, 0);
}

TEST_F(WindowTest, CancelInTheConfirmationKeepsRunningAndWritesNothing) {
  WriteSettings(DefaultImage());
  const auto before = ReadBytes(SettingsPath());
  MainWindow& window = Start();
  window.show();
  window.chartPage(0)->EdHigh[1]->setText("70");
  dialogs_.QueueConfirm(false);
  window.MMExitClick();
  EXPECT_EQ(dialogs_.Texts(Kind::Confirm), QStringList({QString::fromUtf8("프로그램 종료?")}));
  EXPECT_EQ(dialogs_.Captions(Kind::Confirm), QStringList({QString::fromUtf8("종료 확인")}));
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.Timer1()->isActive());
  EXPECT_EQ(ReadBytes(SettingsPath()), before);
}

TEST_F(WindowTest, ConfirmedCloseWritesTheSettingsWithTheGatheringRules) {
  SettingsImage image = DefaultImage();
  image.boards[0].englishUi = 1;
  WriteSettings(image);
  MainWindow& window = Start();
  window.show();
  ChartPage& chart = *window.chartPage(1);
  chart.EdHigh[2]->setText("50");  // high below low: not saved
  chart.EdLow[2]->setText("80");
  chart.EdHigh[3]->setText("75.5");  // a valid pair: saved
  chart.EdLow[3]->setText("-5");
  chart.EdHigh[4]->setText("x");  // not a number: not saved
  window.configPage(0)->UDQueue->setValue(31);
  window.configPage(3)->UDInt->setValue(4);
  dialogs_.QueueConfirm(true);
  window.close();
  EXPECT_EQ(dialogs_.Texts(Kind::Confirm), QStringList({"Program Terminating... "}));
  EXPECT_EQ(dialogs_.Captions(Kind::Confirm), QStringList({"Exit Confirmation"}));
  EXPECT_FALSE(window.isVisible());

  const auto bytes = ReadBytes(SettingsPath());
  ASSERT_EQ(bytes.size(), 5216u);
  SettingsImage saved;
  std::memcpy(&saved, bytes.data(), sizeof saved);
  EXPECT_EQ(saved.boards[1].alarmHigh[2], 100.0);
  EXPECT_EQ(saved.boards[1].alarmLow[2], -20.0);
  EXPECT_EQ(saved.boards[1].alarmHigh[3], 75.5);
  EXPECT_EQ(saved.boards[1].alarmLow[3], -5.0);
  EXPECT_EQ(saved.boards[1].alarmHigh[4], 100.0);
  for (int b = 0; b < kBoardCount; ++b) EXPECT_EQ(saved.boards[b].filterLength, 31);
  EXPECT_EQ(saved.boards[3].sampleInterval, 4);
  EXPECT_EQ(saved.boards[0].sampleInterval, 1);

  // a second close request after the shutdown neither asks nor writes again
  dialogs_.ClearCalls();
  window.close();
  EXPECT_EQ(dialogs_.Count(Kind::Confirm), 0);
}

TEST_F(WindowTest, FirstRunExitWritesADefaultSettingsFile) {
  MainWindow& window = Start();
  dialogs_.QueueConfirm(true);
  window.MMExitClick();
  const auto bytes = ReadBytes(SettingsPath());
  ASSERT_EQ(bytes.size(), 5216u);
  SettingsImage saved;
  std::memcpy(&saved, bytes.data(), sizeof saved);
  EXPECT_EQ(ReadField(saved.boards[1].jobTitle), "Board B Data");
  EXPECT_EQ(ReadField(saved.boards[0].dataDirectory), ExeDir() + "/Tessar");
}

// An instance's window lives in the instance folder and records, on its first
// run, into a data directory of its own; closing it asks nobody when a
// signal asks for the close.
TEST_F(WindowTest, AnInstanceKeepsItsFilesAndItsFirstRunDataApart) {
  for (const Edition* edition : {&kTessarEdition, &kTessviewEdition}) {
    SCOPED_TRACE(edition->applicationTitle);
    const QString folder = ExeDir() + "/oven1";
    MainWindow window(*edition, ExePath(*edition), &dialogs_, QStringLiteral("oven1"));
    window.SetCloseDelayMs(0);
    window.TimerSTimer();
    EXPECT_EQ(window.state().ProgramDirectory, folder);
    EXPECT_EQ(window.state().SettingsPath, folder + "/" + ProgramName(*edition) + ".SET");
    EXPECT_EQ(window.state().ErrorLogPath, folder + "/" + edition->errorLogName);
    EXPECT_EQ(window.state().CurrentDataDirectory,
              ExeDir() + "/" + edition->dataFolderName + "-oven1");
    window.CloseUnasked();
    EXPECT_EQ(dialogs_.Count(Kind::Confirm), 0) << "no confirmation asked";
    EXPECT_TRUE(QFile::exists(window.state().SettingsPath)) << "the orderly shutdown ran";
  }
  EXPECT_FALSE(QFile::exists(ExeDir() + "/tessar.SET"));
}

// A close confirmed before the start sequence loaded the settings writes
// nothing, in either program: the user's file keeps its bytes and no file
// appears where none was.
TEST_F(WindowTest, ACloseBeforeTheSettingsWereLoadedWritesNothing) {
  for (const Edition* edition : {&kTessarEdition, &kTessviewEdition}) {
    const std::string path = (ExePath(*edition) + ".SET").toStdString();
    for (const bool userFile : {true, false}) {
      SCOPED_TRACE(path + (userFile ? " present" : " missing"));
      std::remove(path.c_str());
      if (userFile) {
        ClientSettings client;
        FillClientDefaults(client, "/tmp");
        ASSERT_TRUE(edition->IsClient() ? WriteClientSettings(path, client)
                                        : WriteSettingsImage(path, DefaultImage()));
      }
      const auto before = userFile ? ReadBytes(path) : std::vector<unsigned char>{};
      MainWindow window(*edition, ExePath(*edition), &dialogs_);
      window.SetCloseDelayMs(0);
      window.show();
      dialogs_.QueueConfirm(true);
      window.MMExitClick();
      EXPECT_FALSE(window.isVisible());
      ASSERT_EQ(FileExists(path), userFile);
      if (userFile) {
        EXPECT_EQ(ReadBytes(path), before);
      }
    }
  }
}

TEST_F(WindowTest, ConfigureMenuShowsThePageAndClearsTheStatus) {
  MainWindow& window = Start();
  window.SetStatus("something");
  window.findChild<QAction*>("Config41")->trigger();
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageConfig1 + 3);
  EXPECT_TRUE(window.SBar()->currentMessage().isEmpty());
  window.findChild<QAction*>("ConfigA2")->trigger();
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageConfig1 + 1);
}

TEST_F(WindowTest, ViewerEditionShowsItsConnectionGroupsAndHidesTheLoggerControls) {
  MainWindow& window = Start(kTessviewEdition);
  window.show();
  EXPECT_EQ(window.windowTitle(), "Tessview Ver 2.1.0");
  EXPECT_EQ(window.PageControl()->tabText(kPageClient), "Server");
  ConfigPage& page = *window.configPage(1);
  EXPECT_FALSE(page.GBIP->isHidden());
  EXPECT_TRUE(page.GBCPort->isHidden());
  EXPECT_TRUE(page.GBDO->isHidden());
  EXPECT_TRUE(page.BtnGet->isHidden());
  EXPECT_TRUE(window.clientPage()->ChkNetOff->isHidden());
  EXPECT_EQ(window.clientPage()->PlClient->text(), QString::fromUtf8("서버 목록"));
  EXPECT_EQ(page.GBIP->title(), QString::fromUtf8("IP 주소"));
  EXPECT_FALSE(window.Timer1()->isActive());
  // the viewer writes its own settings file, never the logger's image
  dialogs_.QueueConfirm(true);
  window.close();
  EXPECT_EQ(ReadBytes((ExeDir() + "/tessview.SET").toStdString()).size(), kClientSettingsSize);
}

}  // namespace
}  // namespace tessar::test

namespace tessar::test {
namespace {

// A handler connected through Guarded catches its own exceptions: each is
// written once to the program's log beside the executable with the sender's
// class, the other handlers of the signal run, nothing is shown, and the
// window goes on.
TEST_F(WindowTest, AGuardedHandlerLogsItsExceptionsAndTheProgramGoesOn) {
  MainWindow& window = Start();
  window.show();
  QPushButton* button = window.chartPage(0)->BtZoomIn;
  int runs = 0;
  int others = 0;
  QObject::connect(button, &QPushButton::clicked, &window, Guarded(button, [&runs](bool checked) {
                     EXPECT_FALSE(checked);
                     if (++runs == 1) throw std::runtime_error("'abc' is not a valid floating point value");
                     if (runs == 2) throw 42;
                   }));
  QObject::connect(button, &QPushButton::clicked, &window, [&others] { ++others; });
  for (int i = 0; i < 3; ++i) button->click();
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(others, 3);

  QFile log(ExeDir() + "/Exception1.Err");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(" : QPushButton ===> 'abc' is not a valid floating point value"))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(" : QPushButton ===> Unknown exception")) << lines[1].toStdString();
  EXPECT_EQ(dialogs_.calls().size(), 0u);
  window.findChild<QAction*>("Config31")->trigger();
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageConfig1 + 2);
}

}  // namespace
}  // namespace tessar::test
