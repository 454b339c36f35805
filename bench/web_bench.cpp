// What the web read-out adds to the acquisition: one tick of four boards
// (conversion, alarms, records written to their files) whose records go out
// through the live feed to the web server, with 0 and with 50 WebSockets open
// in the same run. The clients read on a thread of their own, so the time
// measured is the logger's: the cycles, the serialization and the socket
// writes that follow in its event loop.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QWebSocket>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "acquisition/acquisition_cycle.h"
#include "four_boards.h"
#include "acquisition/ui/live_feed.h"
#include "common/clock.h"
#include "web/ui/web_server.h"

namespace {

using namespace tessar;

constexpr double kStart = 46364.5;  // 2026-12-08 12:00

// Browsers: sockets living on their own thread, counting what they receive.
class Browsers : public QObject {
 public:
  std::atomic<long> received{0};
  std::atomic<int> connected{0};

  void Open(int count, const QUrl& url) {
    for (int i = 0; i < count; ++i) {
      auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
      connect(socket, &QWebSocket::connected, this, [this] { ++connected; });
      connect(socket, &QWebSocket::textMessageReceived, this, [this] { ++received; });
      socket->open(url);
    }
  }
};

struct Logger {
  QTemporaryDir tmp;
  ManualClock clock{kStart};
  ProgramState state;
  std::array<CycleInputs, kBoardCount> inputs;
  LiveFeed feed;
  std::unique_ptr<WebServer> server;
  QThread thread;
  Browsers* browsers = nullptr;

  explicit Logger(int clients) {
    bench::PrepareFourBoards(state, inputs, tmp.path().toStdString());
    WebConfig config;
    config.port = 0;  // any free port
    server = std::make_unique<WebServer>(config, state, QStringLiteral("Tessar"));
    QString error;
    if (!server->Listen(error)) qFatal("%s", qPrintable(error));
    server->Follow(feed);
    browsers = new Browsers;
    browsers->moveToThread(&thread);
    thread.start();
    const QUrl url(QStringLiteral("ws://127.0.0.1:%1/ws").arg(server->port()));
    QMetaObject::invokeMethod(browsers, [this, clients, url] { browsers->Open(clients, url); });
    while (server->socketCount() < clients) QCoreApplication::processEvents();
  }
  ~Logger() {
    server.reset();
    QMetaObject::invokeMethod(browsers, [this] { delete browsers; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
  }

  // The acquisition tick and its announcements, as the window runs them.
  void Tick() {
    const ScopedClock scoped(clock);
    for (BoardRunState& b : state.Boards) b.frame.FrameReady = true;
    const auto outcomes = AcquisitionTick(state.Boards, inputs);
    for (int b = 0; b < kBoardCount; ++b) {
      if (outcomes[b] && outcomes[b]->recorded) emit feed.RecordTaken(LiveRecordOf(b, *outcomes[b]));
    }
    clock.AdvanceSeconds(1);
  }
};

void BM_TickFourBoards(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  Logger logger(clients);
  logger.Tick();  // the run's first tick: headers and files
  for (auto _ : state) {
    logger.Tick();
    QCoreApplication::processEvents();  // the socket writes
  }
  QThread::msleep(200);
  state.counters["sockets"] = logger.server->socketCount();
  state.counters["received"] = static_cast<double>(logger.browsers->received.load());
}
BENCHMARK(BM_TickFourBoards)->ArgName("websockets")->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
