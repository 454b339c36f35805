// "Get Configure" against orva-sim: every model configured and its record as
// the simulator was told, the failures of the dialogue, and the simulator's
// frames read back through the logger's conversion.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <optional>

#include "acquisition/conversion.h"
#include "device/frame_reception.h"
#include "device/port_names.h"
#include "device/ui/board_link.h"
#include "device/ui/config_dialogue.h"
#include "i18n/text_codec.h"
#include "sim_harness.h"

namespace tessar {
namespace {

using test::SimProcess;
using test::WaitUntil;

struct DialogueRun {
  QStringList messages;
  QStringList status;
  std::optional<BoardSettings> record;
  int modelKind = -1;
  bool running = false;
};

void Watch(ConfigDialogue& dialogue, DialogueRun& run) {
  QObject::connect(&dialogue, &ConfigDialogue::MessageBox, [&run](const QString& t) { run.messages << t; });
  QObject::connect(&dialogue, &ConfigDialogue::StatusMessage, [&run](const QString& t) { run.status << t; });
  QObject::connect(&dialogue, &ConfigDialogue::DialogueRunning, [&run](bool on) { run.running = on; });
  QObject::connect(&dialogue, &ConfigDialogue::ModelKindFound, [&run](int, int kind) { run.modelKind = kind; });
  QObject::connect(&dialogue, &ConfigDialogue::Configured,
                   [&run](int, const BoardSettings& r, ConfigOutcome) { run.record = r; });
}

BoardSettings Blank() {
  BoardSettings record;
  std::memset(&record, 0, sizeof record);
  return record;
}

QString Com(int number) { return QString::fromStdString(ComName(number)); }

TEST(ConfigDialogue, EachModelIsConfiguredAsTheSimulatorWasTold) {
  const int n2000 = test::NextPortNumber(), n2100 = test::NextPortNumber(),
            n2200 = test::NextPortNumber(), n2280 = test::NextPortNumber();
  SimProcess sim(QStringList{"--device", Com(n2000)} + test::Orva2000SampleOptions() +
                 QStringList{"--period", "100",
                  "--device", Com(n2100), "--model", "ORVA-2100", "--serial", "V-2100", "--letters",
                  "VVVVVVV", "--no-channel-cal",
                  "--device", Com(n2200), "--model", "ORVA-2200", "--serial", "A30001", "--ranges",
                  "6,6,5,5", "--letters", "KKTT", "--ref", "2.5",
                  "--device", Com(n2280), "--model", "ORVA-2280", "--serial", "Z8", "--ranges",
                  "0,1,2,3,4,5,6,6", "--letters", "KRJTKKKK", "--t1", "2,1,1,1,1,1,1,0.5", "--t0",
                  "0,0,0,0,0,0,0,-1.25"});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();

  SerialChannel comPort5("ComPort5");
  comPort5.SetPortsFolder(sim.PortsFolder());
  ConfigDialogue dialogue(comPort5);
  dialogue.SetKoreanUi(false);
  DialogueRun run;
  Watch(dialogue, run);

  // Board A streams first: Get Configure closes its port and still reads the
  // reply between the frames.
  SerialChannel comPort1("ComPort1");
  comPort1.SetPortsFolder(sim.PortsFolder());
  QObject::connect(&comPort1, &SerialChannel::AfterOpen, [&] { OnBoardPortOpened(comPort1, false); });
  ASSERT_TRUE(OpenBoardPort(comPort1, n2000));
  ASSERT_TRUE(WaitUntil([&] { return comPort1.InQueue() > 0; }, 3000));

  auto configure = [&](int board, int number) {
    run = DialogueRun();
    dialogue.GetConfigure(board, 1, Com(number), &comPort1, Blank());
    EXPECT_TRUE(run.running);
    EXPECT_TRUE(dialogue.Waiting());
    EXPECT_TRUE(dialogue.TimerC().isActive());
    EXPECT_TRUE(WaitUntil([&] { return !run.messages.isEmpty(); }, 3000));
    EXPECT_FALSE(run.running);
    EXPECT_FALSE(dialogue.TimerC().isActive());
    EXPECT_EQ(run.messages, QStringList{"OK"});
    return run.record.value_or(Blank());
  };

  BoardSettings r = configure(0, n2000);
  EXPECT_FALSE(comPort1.Connected());
  EXPECT_EQ(run.modelKind, 0);
  test::ExpectOrva2000SampleRecord(r);
  EXPECT_EQ(r.portNumber, n2000);
  EXPECT_EQ(r.boardIndex, 0);
  EXPECT_EQ(r.channelT1[7], 1.0);
  EXPECT_EQ(r.channelMax[1], 10000.0);

  r = configure(1, n2100);
  EXPECT_EQ(run.modelKind, 0);
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2100");
  EXPECT_EQ(r.boardSensorType, 0);
  for (int ch = 1; ch <= 8; ++ch) EXPECT_EQ(r.channelT1[ch], 1.0);

  r = configure(2, n2200);
  EXPECT_EQ(run.modelKind, 1);
  EXPECT_EQ(FieldBytes(r.serialNumber), "A30001");
  EXPECT_EQ(r.boardSensorType, 7);
  EXPECT_EQ(r.channelRangeMv[1], 78.125);
  EXPECT_EQ(r.channelRangeMv[4], 156.25);
  EXPECT_EQ(r.channelSensorType[4], 5);
  EXPECT_EQ(r.refVoltage, 2.5);

  r = configure(3, n2280);
  EXPECT_EQ(run.modelKind, 2);
  const int types2280[] = {1, 1, 2, 3, 5, 1, 1, 1, 1};
  for (int s = 0; s <= 8; ++s) EXPECT_EQ(r.channelSensorType[s], types2280[s]) << s;
  EXPECT_EQ(r.channelRangeMv[1], 5000.0);
  EXPECT_EQ(r.channelRangeMv[8], 78.125);
  EXPECT_EQ(r.channelT1[1], 2.0);
  EXPECT_EQ(r.channelT0[8], -1.25);
  EXPECT_EQ(r.boardIndex, 3);
}

TEST(ConfigDialogue, FailuresOfTheDialogue) {
  const int typeS = test::NextPortNumber(), silent = test::NextPortNumber();
  SimProcess sim({"--device", Com(typeS), "--model", "ORVA-2200", "--fault", "type-s",
                  "--device", Com(silent), "--model", "ORVA-2280", "--fault", "no-dc"});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  SerialChannel comPort5("ComPort5");
  comPort5.SetPortsFolder(sim.PortsFolder());
  ConfigDialogue dialogue(comPort5);
  DialogueRun run;
  Watch(dialogue, run);

  // "No Use" selected.
  dialogue.SetKoreanUi(false);
  dialogue.GetConfigure(0, 0, "No Use", nullptr, Blank());
  EXPECT_EQ(run.status, QStringList{"Select your communication port."});
  EXPECT_FALSE(run.running);

  // A port that cannot be opened.
  run = DialogueRun();
  const QString absent = Com(test::NextPortNumber());
  dialogue.GetConfigure(0, 1, absent, nullptr, Blank());
  EXPECT_EQ(run.status, QStringList{"Can not open" + absent});
  dialogue.SetKoreanUi(true);
  run = DialogueRun();
  dialogue.GetConfigure(0, 1, absent, nullptr, Blank());
  EXPECT_EQ(run.status, QStringList{absent + QString::fromUtf8("을(를) 여는데 실패하였습니다.")});
  EXPECT_FALSE(run.running);

  // A type-S channel restarts the reply at its letter: the model is not found.
  dialogue.SetKoreanUi(false);
  run = DialogueRun();
  dialogue.GetConfigure(1, 1, Com(typeS), nullptr, Blank());
  ASSERT_TRUE(WaitUntil([&] { return !run.messages.isEmpty(); }, 3000));
  EXPECT_EQ(run.messages, QStringList{"Check your ORVA model"});
  EXPECT_FALSE(run.record.has_value());
  EXPECT_EQ(run.modelKind, -1);
  EXPECT_FALSE(run.running);

  // No answer: TimerC ends the dialogue with its message, once.
  run = DialogueRun();
  dialogue.GetConfigure(2, 1, Com(silent), nullptr, Blank());
  EXPECT_TRUE(run.running);
  EXPECT_TRUE(WaitUntil([&] { return sim.Output().contains(Com(silent) + " DC (not answered)"); }, 3000));
  EXPECT_TRUE(run.messages.isEmpty());
  dialogue.OnTimerC();
  EXPECT_EQ(run.messages, QStringList{"Failed!!! Check COM Port"});
  EXPECT_FALSE(run.running);
  EXPECT_FALSE(dialogue.Waiting());
  dialogue.SetKoreanUi(true);
  dialogue.OnTimerC();  // a late tick after the end shows nothing more
  EXPECT_EQ(run.messages.size(), 1);
}

// What the logger makes of the simulator's frames: the temperatures (and mV)
// the simulator was given, with the record from Get Configure.
TEST(ConfigDialogue, FramesReadBackAsTheGivenTemperatures) {
  struct Device {
    const char* model;
    QStringList options;
    std::vector<double> expected;  // slots 1..n; NaN = no data
  };
  const double none = std::nan("");
  std::vector<Device> devices = {
      {"ORVA-2280",
       {"--letters", "KJTRKKKK", "--ranges", "6,5,6,6,6,6,4,6", "--signal", "0=constant:23.5",
        "--signal", "1=constant:100", "--signal", "2=constant:-40", "--signal", "3=constant:250.25",
        "--signal", "4=constant:1000", "--signal", "5=open", "--t1", "1.02", "--t0", "0.01"},
       {100, -40, 250.25, 1000, none, 26, 27, 28}},
      {"ORVA-2000",
       {"--letters", "KKKKKKK", "--signal", "0=constant:24", "--signal", "1=constant:600", "--signal",
        "6=constant:-100", "--a1", "0.999", "--a0", "0.001"},
       {600, 22, 23, 24, 25, -100}},
      {"ORVA-2200",
       {"--letters", "VVVV", "--ranges", "0,0,0,0", "--signal", "1=constant:1234.5", "--signal",
        "2=constant:5.5", "--signal", "3=constant:2.5"},
       {1234.5, 5.5, 0.0, 24}},
  };
  QStringList args;
  std::vector<int> numbers;
  for (const Device& d : devices) {
    numbers.push_back(test::NextPortNumber());
    args << "--device" << Com(numbers.back()) << "--model" << d.model << "--period" << "100" << d.options;
  }
  SimProcess sim(args);
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  SerialChannel comPort5("ComPort5");
  comPort5.SetPortsFolder(sim.PortsFolder());
  ConfigDialogue dialogue(comPort5);
  DialogueRun run;
  Watch(dialogue, run);

  for (std::size_t i = 0; i < devices.size(); ++i) {
    SCOPED_TRACE(devices[i].model);
    run = DialogueRun();
    dialogue.GetConfigure(0, 1, Com(numbers[i]), nullptr, Blank());
    ASSERT_TRUE(WaitUntil([&] { return !run.messages.isEmpty(); }, 3000));
    ASSERT_TRUE(run.record.has_value()) << run.messages.join(",").toStdString();
    const BoardSettings record = *run.record;
    comPort5.Close();

    FrameState frames;
    ASSERT_TRUE(ApplyModelToFrameState(FieldBytes(record.modelName), frames));
    SerialChannel port("ComPort1");
    port.SetPortsFolder(sim.PortsFolder());
    QObject::connect(&port, &SerialChannel::AfterOpen, [&] { OnBoardPortOpened(port, false); });
    QObject::connect(&port, &SerialChannel::RxFlag, [&] { OnBoardFrameEvent(port, frames); });
    ASSERT_TRUE(OpenBoardPort(port, numbers[i]));
    ASSERT_TRUE(WaitUntil([&] { return frames.FrameReady; }, 3000));

    ConversionState conversion;
    ApplyConversionSettings(conversion, record, frames.ModelKind);
    ConvertFrame(conversion, frames.FrameText, kFrameTextSize, frames.ModelKind, record, LiveControls{}, 0);
    for (std::size_t k = 0; k < devices[i].expected.size(); ++k) {
      const double want = devices[i].expected[k];
      const int slot = static_cast<int>(k) + 1;
      if (std::isnan(want)) {
        EXPECT_EQ(conversion.ChannelInvalid[slot], 1) << slot;
      } else {
        EXPECT_EQ(conversion.ChannelInvalid[slot], 0) << slot;
        EXPECT_NEAR(conversion.ChannelValue[slot], want, 0.005) << slot;
      }
    }
  }
}

}  // namespace
}  // namespace tessar
