// The five channels together against orva-sim: start-up with a port that does
// not exist, frames on the others, Get Configure on a streaming board, and the
// shutdown relay reset.
#include <gtest/gtest.h>

#include <cstring>

#include "device/port_names.h"
#include "device/ui/device_link.h"
#include "i18n/text_codec.h"
#include "sim_harness.h"

namespace tessar {
namespace {

using test::SimProcess;
using test::WaitUntil;

QString Com(int number) { return QString::fromStdString(ComName(number)); }

TEST(DeviceLink, StartRunAndShutdown) {
  const int a = test::NextPortNumber(), c = test::NextPortNumber(), absent = test::NextPortNumber();
  SimProcess sim({"--device", Com(a), "--model", "ORVA-2100", "--period", "100", "--device", Com(c),
                  "--model", "ORVA-2280", "--period", "100"});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();

  std::array<FrameState, kBoardCount> frames;
  ApplyModelToFrameState("ORVA-2100", frames[0]);
  ApplyModelToFrameState("ORVA-2200", frames[1]);
  ApplyModelToFrameState("ORVA-2280", frames[2]);
  DeviceLink link(sim.PortsFolder(), [&](int b) -> FrameState& { return frames[b]; });
  link.SetKoreanUi(false);
  QStringList status, boxes;
  std::array<int, kBoardCount> accepted{};
  QObject::connect(&link, &DeviceLink::StatusMessage, [&](const QString& t) { status << t; });
  QObject::connect(&link, &DeviceLink::MessageBox, [&](const QString& t) { boxes << t; });
  QObject::connect(&link, &DeviceLink::FrameAccepted, [&](int b) { ++accepted[b]; });

  SettingsImage settings;
  std::memset(&settings, 0, sizeof settings);
  settings.boards[0].portNumber = a;
  settings.boards[1].portNumber = absent;  // not on this machine
  settings.boards[2].portNumber = c;
  settings.boards[3].portNumber = 0;       // "No Use"
  EXPECT_EQ(link.OpenBoardPorts(settings), 1);
  EXPECT_EQ(boxes, QStringList{"Failed in Opening Port"});
  EXPECT_EQ(status, (QStringList{Com(a) + " was opened", Com(c) + " was opened"}));
  EXPECT_TRUE(link.BoardPort(0).Connected());
  EXPECT_FALSE(link.BoardPort(1).Connected());
  EXPECT_FALSE(link.BoardPort(3).Connected());
  ASSERT_TRUE(WaitUntil([&] { return accepted[0] >= 3 && accepted[2] >= 3; }, 5000));
  EXPECT_EQ(accepted[1], 0);

  // Get Configure of board C while it streams: its port closes, the reply
  // still comes through the configuration channel.
  std::optional<BoardSettings> configured;
  QObject::connect(&link.Dialogue(), &ConfigDialogue::Configured,
                   [&](int, const BoardSettings& r, ConfigOutcome) { configured = r; });
  boxes.clear();
  link.Dialogue().GetConfigure(2, 2, Com(c), &link.BoardPort(2), settings.boards[2]);
  EXPECT_FALSE(link.BoardPort(2).Connected());
  ASSERT_TRUE(WaitUntil([&] { return !boxes.isEmpty(); }, 3000));
  EXPECT_EQ(boxes, QStringList{"OK"});
  ASSERT_TRUE(configured.has_value());
  EXPECT_EQ(FieldBytes(configured->modelName), "ORVA-2280");
  EXPECT_EQ(configured->portNumber, c);
  EXPECT_EQ(configured->boardIndex, 2);
  EXPECT_TRUE(link.ConfigPort().Connected());

  link.SwitchOutputsOffAndClose({0, 1, 2, 1});
  EXPECT_FALSE(link.BoardPort(0).Connected());
  EXPECT_FALSE(link.ConfigPort().Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim.Output().contains(Com(a) + " relay D0"); }, 3000));
  // Board C's port was closed by Get Configure: no reset command for it (all
  // it was sent has been read once a command of ours behind it is logged).
  ASSERT_TRUE(test::WriteToDevice((sim.PortsFolder() + "/" + Com(c)).toStdString(), "XX\r"));
  ASSERT_TRUE(WaitUntil([&] { return sim.Output().contains(Com(c) + " unknown command XX"); }, 3000));
  EXPECT_FALSE(sim.Output().contains(Com(c) + " relay"));
  EXPECT_EQ(sim.Output().count(" relay "), 1);
}

}  // namespace
}  // namespace tessar
