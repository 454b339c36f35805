#include "wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace tessar::test {

namespace {
constexpr int kLookMs = 20;

// Objects given to deleteLater() go as they would in the program's own event
// loop, which these waits stand in for (a closed socket leaves its server's
// list, for one).
void DeleteLaterObjects() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
}  // namespace

double TimeScale() {
  static const double scale = [] {
    const char* text = std::getenv("TESSAR_TEST_TIME_SCALE");
    const double value = text ? std::atof(text) : 1.0;
    return value >= 1.0 ? value : 1.0;
  }();
  return scale;
}

int Scaled(int ms) { return static_cast<int>(ms * TimeScale()); }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  QDeadlineTimer deadline(Scaled(timeoutMs));
  if (!QCoreApplication::instance()) {
    while (!done()) {
      if (deadline.hasExpired()) return done();
      std::this_thread::sleep_for(std::chrono::milliseconds(kLookMs));
    }
    return true;
  }
  // The timer wakes the blocked loop so that `done` is looked at even when
  // nothing in this process happens.
  QTimer look;
  look.start(kLookMs);
  while (!done()) {
    if (deadline.hasExpired()) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    DeleteLaterObjects();
  }
  return true;
}

void RunEventsFor(int ms) {
  if (!QCoreApplication::instance()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  // Not a nested QEventLoop::exec(): once the application was told to quit
  // (a window's orderly close does), every later exec() returns at once.
  QDeadlineTimer deadline(std::max(ms, 0));
  QTimer wake;  // the loop blocks between events: woken at least this often
  wake.start(std::clamp(ms, 1, kLookMs));
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    DeleteLaterObjects();
  }
}

}  // namespace tessar::test
