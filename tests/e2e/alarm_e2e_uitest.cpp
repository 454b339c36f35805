// Alarms end to end: orva-sim swings a channel of two devices across a high
// limit and back while the main window runs its ticks. The limit is typed
// into its box, the interlock boxes are checked, and then the value boxes
// follow each cycle's value, the devices receive the relay commands in
// order, and the day's event file holds one line per alarm.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <vector>

#include "../device/sim_harness.h"
#include "../shell/window_fixture.h"
#include "acquisition/alarm_check.h"
#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/chart_page.h"
#include "common/date_time.h"
#include "config/ui/config_page.h"
#include "device/frame_reception.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

using test::SimProcess;
using test::WaitUntil;

constexpr double kHigh = 70.0;

// Board A: an ORVA-2200 (kind 1) whose channel 2 swings; board B: an
// ORVA-2000 (kind 0) whose channel 1 does. Both between 10 and 90 degC
// every three seconds.
struct AlarmBoard {
  const char* model;
  int channel;
  const char* on;   // relay command while in alarm, as orva-sim logs it
  const char* off;
};
constexpr AlarmBoard kBoards[2] = {{"ORVA-2200", 2, "P2", "P0"}, {"ORVA-2000", 1, "D1", "D0"}};

class AlarmWindowTest : public test::WindowTest {
 protected:
  SettingsImage Image() const {
    SettingsImage image = DefaultImage();
    for (int b = 0; b < kBoardCount; ++b) {
      BoardSettings& r = image.boards[b];
      r.englishUi = 1;
      r.portNumber = b < 2 ? b + 1 : 0;
      StoreFieldBytes(r.modelName, b < 2 ? kBoards[b].model : "ORVA-2280");
      r.boardSensorType = 1;
      r.filterLength = 1;
      for (int s = 0; s < kSlotCount; ++s) {
        r.channelSensorType[s] = 1;
        r.channelRangeMv[s] = 78.125;
      }
    }
    image.boards[1].channelRangeMv[0] = 1250.0;  // the kind-0 cold junction
    image.boards[1].refVoltage = 2.5;
    image.boards[1].alarmHigh[1] = kHigh;
    return image;
  }

  static bool Red(const QLineEdit* box) {
    return box->styleSheet().contains(QColor(kValueBoxAlarmColor).name());
  }

  static void PressEnter(QLineEdit* box, const QString& text) {
    box->setText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
  }

  // The relay commands a device received, in order.
  static QStringList RelayLog(SimProcess& sim, const QString& port) {
    QStringList commands;
    const QRegularExpression line(" " + port + " relay (\\S+)");
    for (const QString& l : sim.Output().split('\n')) {
      const auto m = line.match(l);
      if (m.hasMatch()) commands << m.captured(1);
    }
    return commands;
  }
};

TEST_F(AlarmWindowTest, ValuesAcrossAHighLimitDriveColoursRelaysAndTheEventFile) {
  SimProcess sim(ExeDir() + "/ports",
                 {"--device", "COM1", "--model", kBoards[0].model, "--period", "100", "--signal",
                  "2=sine:50:40:3", "--device", "COM2", "--model", kBoards[1].model, "--period",
                  "100", "--signal", "1=sine:50:40:3"});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  WriteSettings(Image());
  MainWindow& window = Start();
  window.Timer1()->stop();
  window.show();

  // board A's limit through its box: accepted, the focus moves on
  ChartPage& pageA = *window.chartPage(0);
  PressEnter(pageA.EdHigh[2], "abc");
  EXPECT_EQ(window.SBar()->currentMessage(), "Invalid data");
  EXPECT_EQ(pageA.EdHigh[2]->text(), "100.00");
  PressEnter(pageA.EdHigh[2], "70");
  EXPECT_EQ(window.SBar()->currentMessage(), "[1,2]HighAlarm = 70.000000");
  EXPECT_EQ(window.state().Settings.boards[0].alarmHigh[2], kHigh);
  EXPECT_EQ(window.focusWidget(), pageA.EdHigh[3]);

  for (int b = 0; b < 2; ++b) {
    ConfigPage& config = *window.configPage(b);
    config.ChkR->setChecked(true);
    for (QCheckBox* box : config.ChkDO) EXPECT_FALSE(box->isEnabled());
  }

  // Ticks for six seconds, each on a fresh frame; every cycle's colour
  // follows its value, and each change of state is one relay command.
  std::array<QStringList, 2> expected;
  std::array<bool, 2> alarmed{};
  int alarmTicks = 0;
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < 6000) {
    ASSERT_TRUE(WaitUntil([&] {
      return window.state().Boards[0].frame.FrameReady && window.state().Boards[1].frame.FrameReady;
    }, 3000));
    window.Timer1Timer();
    for (int b = 0; b < 2; ++b) {
      const int k = kBoards[b].channel;
      const double v = window.state().Boards[b].conversion.ChannelValue[k];
      const bool alarm = v > kHigh;
      ASSERT_EQ(Red(window.chartPage(b)->EdValue[k]), alarm) << "board " << b << " value " << v;
      EXPECT_FALSE(Red(window.chartPage(b)->EdValue[k == 1 ? 2 : 1]));
      if (alarm != alarmed[b]) expected[b] << (alarm ? kBoards[b].on : kBoards[b].off);
      // a look at the page in alarm, when asked for
      if (b == 0 && alarm && !alarmed[b] && expected[b].size() == 3 &&
          qEnvironmentVariableIsSet("TESSAR_SCREENSHOT_DIR"))
        window.grab().save(qEnvironmentVariable("TESSAR_SCREENSHOT_DIR") + "/alarm_page.png");
      alarmed[b] = alarm;
      alarmTicks += alarm;
    }
    test::Pump(150);
  }
  for (int b = 0; b < 2; ++b) ASSERT_GE(expected[b].size(), 2) << "the value crossed the limit both ways";
  EXPECT_EQ(window.chartPage(0)->chart()->backgroundBrush().color(),
            QColor(alarmed[0] ? kChartAlarmBackground : kChartBackground));

  // the interlock off resets the outputs; a manual box then drives one and
  // locks the interlock out until it is off again
  ConfigPage& configA = *window.configPage(0);
  configA.ChkR->setChecked(false);
  expected[0] << "P0";
  configA.ChkDO[1]->setChecked(true);
  EXPECT_FALSE(configA.ChkR->isEnabled());
  configA.ChkDO[1]->setChecked(false);
  EXPECT_TRUE(configA.ChkR->isEnabled());
  expected[0] << "P2" << "P0";

  for (int b = 0; b < 2; ++b) {
    const QString port = QString("COM%1").arg(b + 1);
    EXPECT_TRUE(WaitUntil([&] { return RelayLog(sim, port).size() >= expected[b].size(); }, 3000));
    EXPECT_EQ(RelayLog(sim, port), expected[b]) << sim.Output().toStdString();
  }

  // one line per channel in alarm and cycle, in English, ended by CR LF
  std::string events;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           window.state().CurrentDataDirectory.toStdString())) {
    if (entry.path().extension() == ".eve") events += test::FileText(entry.path());
  }
  const QStringList lines = FromCp949(events).split("\r\n", Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), alarmTicks);
  for (const QString& l : lines)
    EXPECT_TRUE(l.contains(QRegularExpression("^\\[[12]\\] .* CH[12] High Alarm\\(\\d+\\.\\d{3}\\), "
                                              "Max is 70\\.000\\. $")))
        << l.toStdString();
  EXPECT_FALSE(test::FileExists(ExeDir().toStdString() + "/Exception1.Err"));
}

}  // namespace
}  // namespace tessar
