// Alarms end to end: orva-sim swings a channel of two devices across a high
// limit and back while the main window runs its ticks. The limit is typed
// into its box, the interlock boxes are checked, and then the value boxes
// follow each cycle's value, the devices receive the relay commands in
// order, and the day's event file holds one line per alarm.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRegularExpression>

#include "../device/sim_harness.h"
#include "../shell/window_fixture.h"
#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/chart_page.h"
#include "config/ui/config_page.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

using test::SimProcess;
using test::WaitUntil;

constexpr double kHigh = 70.0;

// Board A: an ORVA-2200 (kind 1) whose channel 2 swings; board B: an
// ORVA-2000 (kind 0) whose channel 1 does. Both three frames at 40 degC,
// three at 90, and so on, whatever the time the frames take.
constexpr const char* kSwing = "steps:40:40:40:90:90:90";
// The relay commands of each, as orva-sim logs them: on, off.
struct AlarmBoard { const char *model; int channel; const char *on, *off; };
constexpr AlarmBoard kBoards[2] = {{"ORVA-2200", 2, "P2", "P0"}, {"ORVA-2000", 1, "D1", "D0"}};

using AlarmWindowTest = test::WindowTest;

bool Red(const QLineEdit* box) {
  return box->styleSheet().contains(QColor(kValueBoxAlarmColor).name());
}

// The relay commands a device received, in order.
QStringList RelayLog(SimProcess& sim, int port) {
  QStringList commands;
  const QRegularExpression line(QString(" COM%1 relay (\\S+)").arg(port));
  for (const QString& l : sim.Output().split('\n')) {
    if (const auto m = line.match(l); m.hasMatch()) commands << m.captured(1);
  }
  return commands;
}

TEST_F(AlarmWindowTest, ValuesAcrossAHighLimitDriveColoursRelaysAndTheEventFile) {
  SimProcess sim(ExeDir() + "/ports",
                 {"--device", "COM1", "--model", kBoards[0].model, "--period", "100", "--signal",
                  QString("2=") + kSwing, "--device", "COM2", "--model", kBoards[1].model, "--period",
                  "100", "--signal", QString("1=") + kSwing});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  SettingsImage image = DefaultImage();
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& r = image.boards[b];
    r.englishUi = 1;
    r.portNumber = b < 2 ? b + 1 : 0;
    StoreFieldBytes(r.modelName, b < 2 ? kBoards[b].model : "ORVA-2280");
    r.boardSensorType = 1;
    r.filterLength = 1;
    for (int s = 0; s < kSlotCount; ++s) r.channelSensorType[s] = 1;
    for (int s = 0; s < kSlotCount; ++s) r.channelRangeMv[s] = 78.125;
  }
  image.boards[1].channelRangeMv[0] = 1250.0;  // the kind-0 cold junction
  image.boards[1].refVoltage = 2.5;
  image.boards[1].alarmHigh[1] = kHigh;
  WriteSettings(image);
  MainWindow& window = Start();
  window.Timer1()->stop();
  window.show();

  // board A's limit typed into its box: accepted, the focus moves on
  QLineEdit* high = window.chartPage(0)->EdHigh[2];
  high->setText("70");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(high, &enter);
  EXPECT_EQ(window.SBar()->currentMessage(), "[1,2]HighAlarm = 70.000000");
  EXPECT_EQ(window.state().Settings.boards[0].alarmHigh[2], kHigh);
  EXPECT_EQ(window.focusWidget(), window.chartPage(0)->EdHigh[3]);
  for (int b = 0; b < 2; ++b) {
    window.configPage(b)->ChkR->setChecked(true);
    for (QCheckBox* box : window.configPage(b)->ChkDO) EXPECT_FALSE(box->isEnabled());
  }

  // Ticks, each on a fresh frame, until both channels crossed the limit both
  // ways: every cycle's colour follows its value, and each change of state
  // is one relay command.
  std::array<QStringList, 2> expected;
  std::array<bool, 2> alarmed{};
  int alarmTicks = 0;
  for (int tick = 0; expected[0].size() < 2 || expected[1].size() < 2; ++tick) {
    ASSERT_LT(tick, 200) << "crossed " << expected[0].size() << " and " << expected[1].size() << " times";
    ASSERT_TRUE(WaitUntil([&] {
      return window.state().Boards[0].frame.FrameReady && window.state().Boards[1].frame.FrameReady;
    }, 3000));
    window.Timer1Timer();
    for (int b = 0; b < 2; ++b) {
      const int k = kBoards[b].channel;
      const double v = window.state().Boards[b].conversion.ChannelValue[k];
      const bool alarm = v > kHigh;
      ASSERT_EQ(Red(window.chartPage(b)->EdValue[k]), alarm) << "board " << b << ": " << v;
      EXPECT_FALSE(Red(window.chartPage(b)->EdValue[3]));
      if (alarm != alarmed[b]) expected[b] << (alarm ? kBoards[b].on : kBoards[b].off);
      alarmed[b] = alarm;
      alarmTicks += alarmed[b];
    }
  }
  EXPECT_EQ(window.chartPage(0)->chart()->backgroundBrush().color(),
            QColor(alarmed[0] ? kChartAlarmBackground : kChartBackground));

  // the interlock off resets the outputs; a manual box then drives one and
  // locks the interlock out while it is on
  ConfigPage& configA = *window.configPage(0);
  configA.ChkR->setChecked(false);
  configA.ChkDO[1]->setChecked(true);
  EXPECT_FALSE(configA.ChkR->isEnabled());
  configA.ChkDO[1]->setChecked(false);
  EXPECT_TRUE(configA.ChkR->isEnabled());
  expected[0] << "P0" << "P2" << "P0";
  for (int b = 0; b < 2; ++b) {
    EXPECT_TRUE(WaitUntil([&] { return RelayLog(sim, b + 1).size() >= expected[b].size(); }, 3000));
    EXPECT_EQ(RelayLog(sim, b + 1), expected[b]) << sim.Output().toStdString();
  }

  // one line per channel in alarm and cycle, in English, ended by CR LF
  std::string events;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           window.state().CurrentDataDirectory.toStdString())) {
    if (entry.path().extension() == ".eve") events += test::FileText(entry.path());
  }
  const QStringList lines = FromCp949(events).split("\r\n", Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), alarmTicks);
  const QRegularExpression message("^\\[[12]\\] .* CH[12] High Alarm\\(\\d+\\.\\d{3}\\), Max is 70\\.000\\. $");
  for (const QString& l : lines) EXPECT_TRUE(message.match(l).hasMatch()) << l.toStdString();
  EXPECT_FALSE(test::FileExists(ExeDir().toStdString() + "/Exception1.Err"));
}

}  // namespace
}  // namespace tessar
