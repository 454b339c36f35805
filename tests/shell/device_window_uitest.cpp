// The main window against orva-sim running as a real process, its devices
// linked into the ports/ folder beside the window's executable directory:
// ports opened at start with "DK", frames shown after the ticks, a missing
// port reported once, Get Configure of every model through the buttons, the
// relay reset at shutdown, and the viewer that opens no port.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <filesystem>
#include <QPushButton>
#include <cmath>

#include "../device/sim_harness.h"
#include "acquisition/thermocouple.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "config/ui/config_page.h"
#include "device/frame_reception.h"
#include "device/ui/device_link.h"
#include "i18n/text_codec.h"
#include "acquisition/ui/chart_page.h"
#include "net/ui/client_page.h"
#include "window_fixture.h"

namespace tessar {
namespace {

using test::ScriptedDialogs;
using test::SimProcess;
using test::WaitUntil;

constexpr const char* kModels[kBoardCount] = {"ORVA-2100", "ORVA-2200", "ORVA-2280", "ORVA-2000"};

// For its lifetime this thread obeys the access bits even as root (it drops
// the override of file permissions from its effective capabilities), as a
// user outside the dialout group does; nothing changes for other users.
class WithoutPermissionOverride {
 public:
  WithoutPermissionOverride() {
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutPermissionOverride() {
    if (dropped_) syscall(SYS_capset, &header_, saved_);
  }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool dropped_ = false;
};

class DeviceWindowTest : public test::WindowTest {
 protected:
  QString PortsFolder() const { return ExeDir() + "/ports"; }

  // orva-sim with one device per entry of `models` on COM1.., each followed
  // by its extra options; frames every 100 ms.
  void StartSim(const std::vector<QStringList>& devices) {
    QStringList arguments;
    for (std::size_t i = 0; i < devices.size(); ++i) {
      arguments << "--device" << QString("COM%1").arg(i + 1) << "--period" << "100" << devices[i];
    }
    sim_ = std::make_unique<SimProcess>(PortsFolder(), arguments);
    ASSERT_TRUE(sim_->Started()) << sim_->Errors().toStdString();
  }
  void StartFourModels() {
    StartSim({{"--model", kModels[0]}, {"--model", kModels[1]}, {"--model", kModels[2]},
              {"--model", kModels[3]}});
  }

  // A running configuration (English) whose boards read what the simulator
  // sends by default: type K everywhere, channels at 78.125 mV, the kind-0
  // cold junction at 1250 mV with a 2.5 V reference.
  SettingsImage RunningImage() const {
    SettingsImage image = DefaultImage();
    for (int b = 0; b < kBoardCount; ++b) {
      BoardSettings& r = image.boards[b];
      r.englishUi = 1;
      r.portNumber = b + 1;
      StoreFieldBytes(r.modelName, kModels[b]);
      const bool kind0 = ModelKindOf(r.modelName, sizeof r.modelName) == 0;
      r.boardSensorType = 1;
      for (int s = 0; s < kSlotCount; ++s) {
        r.channelSensorType[s] = 1;
        r.channelRangeMv[s] = 78.125;
      }
      r.channelRangeMv[0] = kind0 ? 1250.0 : 78.125;
      r.refVoltage = kind0 ? 2.5 : 0.0;
    }
    return image;
  }

  // Starts the window for a run; Timer1 is then driven by the test.
  MainWindow& StartRunning(const SettingsImage& image) {
    WriteSettings(image);
    MainWindow& window = Start();
    window.Timer1()->stop();
    return window;
  }

  // Waits until every board in `boards` has a frame waiting, then ticks once.
  bool TickWithFrames(MainWindow& window, std::initializer_list<int> boards) {
    const bool arrived = WaitUntil(
        [&] {
          for (int b : boards)
            if (!window.state().Boards[b].frame.FrameReady) return false;
          return true;
        },
        5000);
    window.Timer1Timer();
    return arrived;
  }

  static double Value(const QLineEdit* box) { return box->text().trimmed().toDouble(); }

  std::unique_ptr<SimProcess> sim_;
};

TEST_F(DeviceWindowTest, RunningStartOpensThePortsSendsDkAndShowsTheFrames) {
  StartFourModels();
  ManualClock clock(EncodeDateTime({2026, 3, 4, 10, 20, 30, 0}));
  ScopedClock useClock(clock);
  MainWindow& window = StartRunning(RunningImage());

  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 0);
  EXPECT_EQ(window.SBar()->currentMessage(), "COM4 was opened");
  for (int b = 0; b < kBoardCount; ++b) {
    EXPECT_TRUE(window.deviceLink()->BoardPort(b).Connected()) << b;
    EXPECT_EQ(window.deviceLink()->BoardPort(b).DevicePath(),
              PortsFolder() + QString("/COM%1").arg(b + 1));
  }
  // every device was told to stream after its port had opened
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().count(" DK") == 4; }, 3000))
      << sim_->Output().toStdString();
  for (int b = 1; b <= 4; ++b) EXPECT_TRUE(sim_->Output().contains(QString("COM%1 DK").arg(b)));

  // the first tick with frames takes the first record of every board
  ASSERT_TRUE(TickWithFrames(window, {0, 1, 2, 3}));
  const int lastChannel[kBoardCount] = {6, 4, 8, 6};
  const char* lastText[kBoardCount] = {" 26.000 ", " 24.000 ", " 28.000 ", " 26.000 "};
  for (int b = 0; b < kBoardCount; ++b) {
    const ChartPage& page = *window.chartPage(b);
    for (int k = 1; k <= lastChannel[b]; ++k) {
      EXPECT_NEAR(Value(page.EdValue[k]), 20.0 + k, 0.1) << "board " << b << " channel " << k;
    }
    // the board's last channel with three decimals
    EXPECT_EQ(page.EdValue[lastChannel[b]]->text(), lastText[b]);
    EXPECT_EQ(page.LblStart->text(), "2026-03-04 10:20:30");
    EXPECT_EQ(page.Memo->document()->blockCount(), 1);
    EXPECT_TRUE(page.Memo->toPlainText().startsWith("     1 03-04 10:20:30 ")) << b;
    EXPECT_EQ(window.state().Boards[b].chart.size(), 1);
    EXPECT_EQ(window.state().Boards[b].frame.MissedTicks, -2);
    EXPECT_FALSE(window.state().Boards[b].frame.FrameReady);
  }
  // a record file per board under the data directory: header and one record
  for (int b = 0; b < kBoardCount; ++b) {
    const QString file = QString::fromStdString(window.state().Boards[b].run.RecordFileName.string());
    EXPECT_TRUE(file.startsWith(window.state().CurrentDataDirectory + "/")) << file.toStdString();
    EXPECT_EQ(QFileInfo(file).size(), 544 + 80) << b;
  }

  // Restart of board B: memo and chart empty, the next tick records again
  window.configPage(1)->BtRestart->click();
  EXPECT_EQ(window.SBar()->currentMessage(), "Chart 2 recording re-started.");
  EXPECT_TRUE(window.chartPage(1)->Memo->toPlainText().isEmpty());
  EXPECT_TRUE(window.state().Boards[1].chart.empty());
  clock.AdvanceSeconds(1);
  ASSERT_TRUE(TickWithFrames(window, {1}));
  EXPECT_TRUE(window.chartPage(1)->Memo->toPlainText().startsWith("     1 03-04 10:20:31 "));
  EXPECT_EQ(window.chartPage(1)->LblStart->text(), "2026-03-04 10:20:31");
}

TEST_F(DeviceWindowTest, AMissingPortIsReportedOnceWhileTheOtherBoardsRun) {
  StartSim({{"--model", kModels[0]}, {"--model", kModels[1]}, {"--model", kModels[2]}});
  SettingsImage image = RunningImage();
  image.boards[2].portNumber = 9;  // not on this machine
  image.boards[3].portNumber = 0;
  MainWindow& window = StartRunning(image);

  EXPECT_EQ(dialogs_.Texts(ScriptedDialogs::Kind::Message), QStringList{"Failed in Opening Port"});
  // the stored number stays, the list shows "No Use"
  EXPECT_EQ(window.state().Settings.boards[2].portNumber, 9);
  EXPECT_EQ(window.configPage(2)->CBPort->currentIndex(), 0);
  EXPECT_FALSE(window.deviceLink()->BoardPort(2).Connected());
  EXPECT_TRUE(window.deviceLink()->BoardPort(1).Connected());

  ASSERT_TRUE(TickWithFrames(window, {0, 1}));
  EXPECT_NEAR(Value(window.chartPage(0)->EdValue[1]), 21.0, 0.1);
  EXPECT_NEAR(Value(window.chartPage(1)->EdValue[2]), 22.0, 0.1);
  EXPECT_EQ(window.state().Boards[2].frame.MissedTicks, 0);  // -1, then one tick without a frame
  EXPECT_TRUE(window.chartPage(2)->EdValue[1]->text().isEmpty());
  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 1);
}

// A device the user may not open is named with the remedy on standard error
// and on the port list's tooltip, beside the usual message; a port that fails
// for another reason (here: absent) gets no such advice.
TEST_F(DeviceWindowTest, APortRefusedToTheUserSaysWhyWhereAPersonLooks) {
  StartSim({{"--model", kModels[0]}, {"--model", kModels[1]}});
  const std::string refused = (PortsFolder() + "/COM1").toStdString();
  ASSERT_EQ(chmod(std::filesystem::canonical(refused).c_str(), 0), 0);
  SettingsImage image = RunningImage();
  image.boards[2].portNumber = 9;  // not on this machine
  image.boards[3].portNumber = 0;

  testing::internal::CaptureStderr();
  {
    WithoutPermissionOverride asAUser;
    StartRunning(image);
  }
  const std::string errors = testing::internal::GetCapturedStderr();
  MainWindow& window = *window_;
  const std::string advice = refused + ": permission denied: add the user to the dialout group";
  EXPECT_EQ(window.configPage(0)->CBPort->toolTip().toStdString(), advice);
  EXPECT_NE(errors.find(advice + "\n"), std::string::npos) << errors;
  EXPECT_FALSE(window.deviceLink()->BoardPort(0).Connected());
  EXPECT_TRUE(window.deviceLink()->BoardPort(1).Connected());
  EXPECT_TRUE(window.configPage(2)->CBPort->toolTip().isEmpty());
  EXPECT_EQ(errors.find("COM9: permission"), std::string::npos) << errors;
  EXPECT_EQ(dialogs_.Texts(ScriptedDialogs::Kind::Message),
            QStringList({"Failed in Opening Port", "Failed in Opening Port"}));
}

TEST_F(DeviceWindowTest, FaultyFramesAreDroppedSilentlyAndASilentDeviceCountsMissedTicks) {
  StartSim({{"--model", kModels[0], "--fault", "wrong-length:2"},
            {"--model", kModels[1], "--fault", "double"},
            {"--model", kModels[2], "--fault", "silence:2"},
            {"--model", kModels[3], "--fault", "embedded-lf"}});
  MainWindow& window = StartRunning(RunningImage());
  const QString status = window.SBar()->currentMessage();
  std::array<int, kBoardCount> cycles{};
  // Ticks on board A's frames until it has three cycles and C has missed a
  // tick (the same devices send B's and D's frames meanwhile).
  int ticks = 0;
  while (cycles[0] < 3 || window.state().Boards[2].frame.MissedTicks < 1) {
    ASSERT_LT(ticks++, 40) << cycles[0] << " cycles of board A";
    ASSERT_TRUE(WaitUntil([&] { return window.state().Boards[0].frame.FrameReady; }, 3000));
    for (int b = 0; b < kBoardCount; ++b) cycles[b] += window.state().Boards[b].frame.FrameReady;
    window.Timer1Timer();
  }
  // every other frame of board A is whole; B's doubled and D's broken frames never are
  EXPECT_EQ(cycles[1], 0);
  EXPECT_EQ(cycles[3], 0);
  EXPECT_NEAR(Value(window.chartPage(0)->EdValue[1]), 21.0, 0.1);
  EXPECT_TRUE(window.chartPage(1)->EdValue[1]->text().isEmpty());
  // C fell silent after two frames: -2 after the last frame, then one more per tick
  const int missed = window.state().Boards[2].frame.MissedTicks;
  EXPECT_GE(missed, 1);
  window.Timer1Timer();
  EXPECT_EQ(window.state().Boards[2].frame.MissedTicks, missed + 1);
  EXPECT_EQ(window.state().Boards[1].frame.MissedTicks, ticks);  // -1 at start, never a frame
  // nothing of it reached the user
  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 0);
  EXPECT_EQ(window.SBar()->currentMessage(), status);
}

TEST_F(DeviceWindowTest, GetConfigureOfEveryModelThroughTheButtons) {
  StartSim({test::Orva2000SampleOptions(),
            {"--model", "ORVA-2100", "--serial", "V-2100", "--letters", "VVVVVVV", "--no-channel-cal"},
            {"--model", "ORVA-2200", "--serial", "A30001", "--ranges", "6,6,5,5", "--letters", "KKTT",
             "--ref", "2.5"},
            {"--model", "ORVA-2280", "--serial", "Z8", "--ranges", "0,1,2,3,4,5,6,6", "--letters",
             "KRJTKKKK", "--t1", "2,1,1,1,1,1,1,0.5", "--t0", "0,0,0,0,0,0,0,-1.25"}});
  // a running start: every board streams until its Get Configure closes its port
  SettingsImage image = RunningImage();
  for (BoardSettings& r : image.boards) StoreFieldBytes(r.modelName, "ORVA-2100");
  MainWindow& window = StartRunning(image);
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().count(" DK") == 4; }, 3000));

  auto configure = [&](int board) {
    dialogs_.ClearCalls();
    ConfigPage& page = *window.configPage(board);
    EXPECT_EQ(page.CBPort->currentText(), QString("COM%1").arg(board + 1));
    page.BtnGet->click();
    EXPECT_FALSE(window.deviceLink()->BoardPort(board).Connected());
    EXPECT_TRUE(window.TimerC()->isActive());
    for (int b = 0; b < kBoardCount; ++b) EXPECT_FALSE(window.configPage(b)->BtnGet->isEnabled());
    EXPECT_TRUE(WaitUntil([&] { return dialogs_.Count(ScriptedDialogs::Kind::Message) > 0; }, 3000));
    EXPECT_EQ(dialogs_.Texts(ScriptedDialogs::Kind::Message), QStringList{"OK"});
    EXPECT_FALSE(window.TimerC()->isActive());
    for (int b = 0; b < kBoardCount; ++b) EXPECT_TRUE(window.configPage(b)->BtnGet->isEnabled());
    return window.state().Settings.boards[board];
  };

  // ORVA-2000: kind 0, mixed letters, its calibration
  BoardSettings r = configure(0);
  EXPECT_EQ(window.state().Boards[0].frame.ModelKind, 0);
  test::ExpectOrva2000SampleRecord(r);
  EXPECT_EQ(r.portNumber, 1);
  // the configuration page shows the record
  ConfigPage& page0 = *window.configPage(0);
  EXPECT_EQ(page0.LblModel->text(), "ORVA-2000");
  EXPECT_EQ(page0.EdSNum->text(), "K0-2000");
  EXPECT_EQ(page0.RgTC->itemIndex(), 7);
  EXPECT_EQ(page0.CbTy[3]->currentIndex(), 3);
  EXPECT_TRUE(page0.CbTy[3]->isEnabled());
  EXPECT_EQ(page0.CBR[6]->currentText(), "19.5313 mV");
  EXPECT_EQ(page0.EdVs->text(), "2.40000");
  EXPECT_FALSE(page0.EdT1[7]->isEnabled());
  // and the conversion follows the new record at once
  EXPECT_NEAR(window.state().Boards[0].conversion.RangeScale[6], 2.32831e-6, 1e-11);  // mV per count

  // ORVA-2100: kind 0, all V, no calibration lines
  r = configure(1);
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2100");
  EXPECT_EQ(FieldBytes(r.serialNumber), "V-2100");
  EXPECT_EQ(r.boardSensorType, 0);
  for (int ch = 1; ch <= 8; ++ch) EXPECT_EQ(r.channelT1[ch], 1.0);
  EXPECT_EQ(window.state().Boards[1].conversion.BoardTypeLetter, 'V');
  EXPECT_FALSE(window.configPage(1)->CbTy[1]->isEnabled());

  // ORVA-2200: kind 1; the range lists become those of kinds 1 and 2
  r = configure(2);
  EXPECT_EQ(window.state().Boards[2].frame.ModelKind, 1);
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2200");
  EXPECT_EQ(FieldBytes(r.serialNumber), "A30001");
  EXPECT_EQ(r.boardSensorType, 7);
  EXPECT_EQ(r.channelRangeMv[1], 78.125);
  EXPECT_EQ(r.channelRangeMv[3], 156.25);
  EXPECT_EQ(r.channelSensorType[3], 5);
  EXPECT_DOUBLE_EQ(r.refVoltage, 2.5);
  ConfigPage& page2 = *window.configPage(2);
  EXPECT_EQ(page2.CBR[1]->itemText(0), "5000 mV ");
  EXPECT_EQ(page2.CBR[3]->currentText(), "156.25 mV");
  EXPECT_FALSE(page2.EdT1[5]->isEnabled());

  // ORVA-2280: kind 2, eight channels with their own factors. The frame still
  // waiting from the board's former model (56 bytes, kind 0) is dropped
  // rather than read in the new layout.
  // (The device on COM4 streams 72-byte frames, which the board's former
  // model discards; the waiting frame is put in place here.)
  FrameState& frame3 = window.state().Boards[3].frame;
  ASSERT_EQ(ReceiveFrame(frame3, "400000, 000100, 000200, 000300, 000400, 000500, 000600\r\n"),
            FrameDecision::Accepted);
  // an interval typed while the dialogue waits is kept
  dialogs_.ClearCalls();
  window.configPage(3)->BtnGet->click();
  window.configPage(3)->UDInt->setValue(9);
  EXPECT_TRUE(WaitUntil([&] { return dialogs_.Count(ScriptedDialogs::Kind::Message) > 0; }, 3000));
  EXPECT_FALSE(window.state().Boards[3].frame.FrameReady);
  EXPECT_EQ(window.state().Settings.boards[3].sampleInterval, 9);
  r = configure(3);
  EXPECT_EQ(window.state().Boards[3].frame.ModelKind, 2);
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2280");
  EXPECT_EQ(FieldBytes(r.serialNumber), "Z8");
  const int types2280[] = {1, 1, 2, 3, 5, 1, 1, 1, 1};
  const double ranges2280[] = {5000, 5000, 2500, 1250, 625, 312.5, 156.25, 78.125, 78.125};
  for (int s = 0; s <= 8; ++s) {
    EXPECT_EQ(r.channelSensorType[s], types2280[s]) << s;
    EXPECT_EQ(r.channelRangeMv[s], ranges2280[s]) << s;
  }
  EXPECT_DOUBLE_EQ(r.channelT1[1], 2.0);
  EXPECT_DOUBLE_EQ(r.channelT0[8], -1.25);
  EXPECT_TRUE(window.configPage(3)->EdT1[8]->isEnabled());

  // The records reach the settings file with the exit confirmation.
  dialogs_.QueueConfirm(true);
  window.close();
  SettingsImage saved{};
  ASSERT_TRUE(LoadSettings(SettingsPath(), saved));
  EXPECT_EQ(FieldBytes(saved.boards[3].modelName), "ORVA-2280");
  EXPECT_EQ(FieldBytes(saved.boards[2].serialNumber), "A30001");
}

TEST_F(DeviceWindowTest, GetConfigureWithoutAnswerTimesOutOnTimerC) {
  StartSim({{"--model", "ORVA-2280", "--fault", "no-dc"}});
  SettingsImage image = RunningImage();
  image.boards[1].portNumber = 0;
  image.boards[2].portNumber = 0;
  image.boards[3].portNumber = 0;
  MainWindow& window = StartRunning(image);
  ConfigPage& page = *window.configPage(0);
  page.BtnGet->click();
  EXPECT_TRUE(window.TimerC()->isActive());
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().contains("COM1 DC (not answered)"); }, 3000));
  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 0);
  window.TimerCTimer();  // the 5 s have passed
  EXPECT_EQ(dialogs_.Texts(ScriptedDialogs::Kind::Message), QStringList{"Failed!!! Check COM Port"});
  EXPECT_FALSE(window.TimerC()->isActive());
  EXPECT_TRUE(page.BtnGet->isEnabled());

  // "No Use" selected: the status bar asks for a port
  dialogs_.ClearCalls();
  window.configPage(1)->BtnGet->click();
  EXPECT_EQ(window.SBar()->currentMessage(), "Select your communication port.");
  EXPECT_FALSE(window.TimerC()->isActive());
  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 0);
}

TEST_F(DeviceWindowTest, ShutdownSwitchesTheOutputsOffOnOpenPortsThenClosesThem) {
  StartFourModels();
  SettingsImage image = RunningImage();
  MainWindow& window = StartRunning(image);
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().count(" DK") == 4; }, 3000));

  dialogs_.QueueConfirm(true);
  window.close();
  for (int b = 0; b < kBoardCount; ++b) EXPECT_FALSE(window.deviceLink()->BoardPort(b).Connected());
  EXPECT_FALSE(window.deviceLink()->ConfigPort().Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().count(" relay ") == 4; }, 3000))
      << sim_->Output().toStdString();
  // kind 0 (ORVA-2100, ORVA-2000) gets "D0", the others "P0"
  EXPECT_TRUE(sim_->Output().contains("COM1 relay D0"));
  EXPECT_TRUE(sim_->Output().contains("COM2 relay P0"));
  EXPECT_TRUE(sim_->Output().contains("COM3 relay P0"));
  EXPECT_TRUE(sim_->Output().contains("COM4 relay D0"));
  // the settings file was written before the ports were touched
  EXPECT_TRUE(test::FileExists(SettingsPath()));
}

TEST_F(DeviceWindowTest, TheViewerOpensNoPortAndSendsNoCommand) {
  StartFourModels();
  WriteSettings(RunningImage());  // a logger's settings beside it change nothing
  MainWindow& window = Start(kTessviewEdition);
  EXPECT_EQ(window.deviceLink(), nullptr);
  window.TimerCTimer();
  dialogs_.QueueConfirm(true);
  window.close();
  // a command of ours behind anything the window sent: once it is logged, all was read
  for (int b = 1; b <= kBoardCount; ++b)
    ASSERT_TRUE(test::WriteToDevice((PortsFolder() + QString("/COM%1").arg(b)).toStdString(), "XX\r"));
  ASSERT_TRUE(WaitUntil([&] { return sim_->Output().count("unknown command XX") == kBoardCount; }, 3000));
  EXPECT_FALSE(sim_->Output().contains(" DK"));
  EXPECT_FALSE(sim_->Output().contains(" relay "));
  EXPECT_FALSE(sim_->Output().contains(" DC"));
  EXPECT_EQ(dialogs_.Count(ScriptedDialogs::Kind::Message), 0);
}

}  // namespace
}  // namespace tessar
