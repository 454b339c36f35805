// Publishing's share of the acquisition tick: four kind-2 K boards, each
// taking a record on every tick (file append included), announced on the
// live feed as the window does. Arg 0: nobody listens; 1: a publisher whose
// broker is away (the queue at its limit, dropping the oldest); 2: a
// publisher connected to a mosquitto broker on loopback. The event loop runs
// between ticks, outside the timing. The difference to Arg 0 is what
// publishing adds to a tick.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QDeadlineTimer>
#include <cstring>
#include <fstream>

#include "acquisition/acquisition_cycle.h"
#include "four_boards.h"
#include "acquisition/program_state.h"
#include "acquisition/ui/live_feed.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "mqtt/ui/mqtt_publisher.h"
#include "mqtt/ui/mqtt_service.h"

namespace {

using namespace tessar;


QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "mqtt_bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

void Wait(int ms) {
  const QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

void BM_TickFourBoardsPublishing(benchmark::State& state) {
  App();
  const int mode = static_cast<int>(state.range(0));
  QTemporaryDir tmp;
  ManualClock clock(EncodeDateTime({2026, 12, 8, 14, 0, 0}));
  ScopedClock scoped(clock);
  auto program = std::make_unique<ProgramState>();
  std::array<CycleInputs, kBoardCount> inputs;
  bench::PrepareFourBoards(*program, inputs, tmp.path().toStdString());

  QProcess broker;
  MqttConfig config;
  config.host = "127.0.0.1";
  config.port = FreePort();  // nothing listens there unless the broker is started
  config.clientId = "mqtt-bench";
  config.topicPrefix = "bench";
  if (mode == 2) {
    std::ofstream(tmp.path().toStdString() + "/broker.conf")
        << "listener " << config.port << " 127.0.0.1\nallow_anonymous true\npersistence false\n";
    broker.start("/usr/sbin/mosquitto", {"-c", tmp.path() + "/broker.conf"});
    if (!broker.waitForStarted(3000)) {
      state.SkipWithError("no /usr/sbin/mosquitto");
      return;
    }
    Wait(300);
  }
  LiveFeed feed;
  std::unique_ptr<MqttPublisher> publisher;
  if (mode > 0) {
    publisher = std::make_unique<MqttPublisher>(config, nullptr);
    PublishFeed(feed, *program, *publisher);
    publisher->Start();
    if (mode == 2) {
      for (int i = 0; i < 100 && !publisher->Connected(); ++i) Wait(20);
      if (!publisher->Connected()) {
        state.SkipWithError("the broker did not take the connection");
        return;
      }
    }
  }

  for (auto _ : state) {
    for (auto& b : program->Boards) b.frame.FrameReady = true;
    const auto outcomes = AcquisitionTick(program->Boards, inputs);
    // as the acquisition controller announces a tick
    for (int b = 0; b < kBoardCount; ++b) {
      if (outcomes[b] && outcomes[b]->recorded) emit feed.RecordTaken(LiveRecordOf(b, *outcomes[b]));
    }
    clock.AdvanceSeconds(0.1);
    // the event loop between ticks, outside the timing in every variant
    // (pausing has its own cost)
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  if (publisher) {
    state.counters["held"] = static_cast<double>(publisher->queue().size());
    publisher->Stop(200);
  }
  if (mode == 2) {
    broker.terminate();
    broker.waitForFinished(3000);
  }
}
BENCHMARK(BM_TickFourBoardsPublishing)
    ->ArgName("publisher")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// One record message of a board with default texts: made whole (Arg 0) or
// with the board's texts converted once (Arg 1), as the publisher does.
void BM_RecordJson(benchmark::State& state) {
  tessar::BoardSettings settings;
  tessar::FillBoardDefaults(settings, 0, "/tmp");
  tessar::LiveRecord record;
  record.time = tessar::EncodeDateTime({2026, 12, 8, 14, 0, 0});
  for (int i = 0; i < tessar::kSlotCount; ++i) record.values[i] = 20.0 + i * 1.37;
  tessar::RecordJsonCache cache;
  const bool cached = state.range(0) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cached ? cache.Message(record, settings)
                                    : tessar::RecordJson(record, settings));
  }
}
BENCHMARK(BM_RecordJson)->ArgName("cached")->Arg(0)->Arg(1);

}  // namespace
