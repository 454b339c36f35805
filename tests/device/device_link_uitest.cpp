// The five channels together against orva-sim: start-up with a port that does
// not exist, frames on the others, Get Configure on a streaming board, and the
// shutdown relay reset.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "device/device_watch.h"
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

// What the link told the status bar, and what it wrote to standard error.
struct Told {
  explicit Told(DeviceLink& link) {
    QObject::connect(&link, &DeviceLink::StatusMessage, [this](const QString& t) { status << t; });
    QObject::connect(&link, &DeviceLink::MessageBox, [this](const QString& t) { boxes << t; });
  }
  int Count(const QString& text) const { return static_cast<int>(status.count(text)); }
  bool Has(const QString& start) const {
    return std::any_of(status.begin(), status.end(), [&](const QString& t) { return t.startsWith(start); });
  }
  QStringList status, boxes;
};

// A board port that fails is closed and tried again every retry interval,
// quietly: one line when it is lost, the after-open line ("DK" sent, "COMn
// was opened") when it is back, and frames again. A port absent at start is
// tried the same way after its one message box. A port taken by Get
// Configure is left alone.
TEST(DeviceLink, AFailedPortIsOpenedAgainWhenItsDeviceReturns) {
  constexpr int kTickMs = 100;
  const int a = test::NextPortNumber(), b = test::NextPortNumber(), c = test::NextPortNumber();
  auto simA = std::make_unique<SimProcess>(QStringList{"--device", Com(a), "--period", "100"});
  ASSERT_TRUE(simA->Started());
  const QString folder = simA->PortsFolder();
  auto simC = std::make_unique<SimProcess>(folder, QStringList{"--device", Com(c), "--period", "100"});
  ASSERT_TRUE(simC->Started());

  std::array<FrameState, kBoardCount> frames;
  for (FrameState& f : frames) ApplyModelToFrameState("ORVA-2280", f);
  DeviceLink link(folder, [&](int board) -> FrameState& { return frames[board]; });
  link.SetKoreanUi(false);
  link.SetWatchTickMs(kTickMs);
  Told told(link);
  std::array<int, kBoardCount> accepted{};
  QObject::connect(&link, &DeviceLink::FrameAccepted, [&](int board) { ++accepted[board]; });
  SettingsImage settings;
  std::memset(&settings, 0, sizeof settings);
  settings.boards[0].portNumber = a;
  settings.boards[1].portNumber = b;  // no device yet
  settings.boards[2].portNumber = c;
  EXPECT_EQ(link.OpenBoardPorts(settings), 1);
  EXPECT_EQ(told.boxes, QStringList{"Failed in Opening Port"});
  ASSERT_TRUE(WaitUntil([&] { return accepted[0] >= 2 && accepted[2] >= 2; }, 5000));

  // the device of board A goes away, and comes back under the same name
  simA.reset();
  ASSERT_TRUE(WaitUntil([&] { return !link.BoardPort(0).Connected(); }, 3000));
  EXPECT_TRUE(told.Has("Board A: " + Com(a) + " lost (")) << told.status.join('\n').toStdString();
  // several retry intervals without the device: not a word more
  const int lost = link.WatchTicks();
  ASSERT_TRUE(WaitUntil([&] { return link.WatchTicks() >= lost + 3 * DeviceLink::kRetryTicks; }, 10000));
  EXPECT_EQ(told.status.size(), 3) << told.status.join('\n').toStdString();
  simA = std::make_unique<SimProcess>(folder, QStringList{"--device", Com(a), "--period", "100"});
  ASSERT_TRUE(simA->Started());
  const int before = accepted[0];
  ASSERT_TRUE(WaitUntil([&] { return accepted[0] >= before + 2; }, 5000));
  EXPECT_EQ(told.Count(Com(a) + " was opened"), 2);
  EXPECT_TRUE(simA->Output().contains(Com(a) + " DK"));

  // board B's device appears after the start
  SimProcess simB(folder, {"--device", Com(b), "--period", "100"});
  ASSERT_TRUE(simB.Started());
  ASSERT_TRUE(WaitUntil([&] { return accepted[1] >= 2; }, 5000));
  EXPECT_EQ(told.Count(Com(b) + " was opened"), 1);
  EXPECT_EQ(told.boxes.size(), 1) << "the start's message box only";

  // Get Configure keeps board C's device on the configuration channel
  link.ReleaseBoardPort(2);
  link.BoardPort(2).Close();
  const int released = link.WatchTicks();
  ASSERT_TRUE(WaitUntil([&] { return link.WatchTicks() >= released + 2 * DeviceLink::kRetryTicks; }, 10000));
  EXPECT_FALSE(link.BoardPort(2).Connected());
  EXPECT_EQ(told.Count(Com(c) + " was opened"), 1);
  link.SwitchOutputsOffAndClose({2, 2, 2, 2});
}

// A used board whose device falls silent for ten ticks is told once, and
// once when it sends again; a device of another model (its lines do not fit
// the board's frame length) once, and once when the right one is back.
TEST(DeviceLink, ASilentDeviceAndOneOfAnotherModelAreTold) {
  constexpr int kTickMs = 100;
  const int a = test::NextPortNumber(), b = test::NextPortNumber();
  SimProcess simA({"--device", Com(a), "--period", "100"});
  ASSERT_TRUE(simA.Started());
  const QString folder = simA.PortsFolder();
  auto simB = std::make_unique<SimProcess>(
      folder, QStringList{"--device", Com(b), "--model", "ORVA-2100", "--period", "100"});
  ASSERT_TRUE(simB->Started());

  std::array<FrameState, kBoardCount> frames;
  for (FrameState& f : frames) ApplyModelToFrameState("ORVA-2280", f);
  DeviceLink link(folder, [&](int board) -> FrameState& { return frames[board]; });
  link.SetKoreanUi(false);
  link.SetWatchTickMs(kTickMs);
  Told told(link);
  SettingsImage settings;
  std::memset(&settings, 0, sizeof settings);
  settings.boards[0].portNumber = a;
  settings.boards[1].portNumber = b;
  StoreFieldBytes(settings.boards[1].modelName, "ORVA-2280");
  ASSERT_EQ(link.OpenBoardPorts(settings), 0);

  const QString misfit = "Board B: " + Com(b) +
                         " sends lines of 56 bytes, but its model ORVA-2280 takes frames of 72: "
                         "nothing is recorded";
  ASSERT_TRUE(WaitUntil([&] { return told.Count(misfit) == 1; }, 5000)) << told.status.join('\n').toStdString();

  ASSERT_EQ(kill(static_cast<pid_t>(simA.Pid()), SIGSTOP), 0);
  const QString silent = "Board A: " + Com(a) + " has sent nothing for 1 s";
  ASSERT_TRUE(WaitUntil([&] { return told.Count(silent) == 1; }, 5000));
  const int fellSilent = link.WatchTicks();
  ASSERT_TRUE(WaitUntil([&] { return link.WatchTicks() >= fellSilent + 3 * kSilentTicks; }, 10000));
  EXPECT_EQ(told.Count(silent), 1);
  ASSERT_EQ(kill(static_cast<pid_t>(simA.Pid()), SIGCONT), 0);
  ASSERT_TRUE(WaitUntil([&] { return told.Count("Board A: " + Com(a) + " sends again") == 1; }, 5000));

  // the right device in place of the wrong one
  simB.reset();
  simB = std::make_unique<SimProcess>(folder, QStringList{"--device", Com(b), "--period", "100"});
  ASSERT_TRUE(simB->Started());
  const QString fits = "Board B: " + Com(b) + " sends frames of 72 bytes again, as its model ORVA-2280 takes";
  ASSERT_TRUE(WaitUntil([&] { return told.Count(fits) == 1; }, 5000)) << told.status.join('\n').toStdString();
  EXPECT_EQ(told.Count(misfit), 1);
  EXPECT_FALSE(told.Has("Board B: " + Com(b) + " has sent nothing"));
  link.SwitchOutputsOffAndClose({2, 2, 2, 2});
}

}  // namespace
}  // namespace tessar
