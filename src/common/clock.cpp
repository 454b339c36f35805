#include "common/clock.h"

#include <QDateTime>

#include "common/date_time.h"

namespace tessar {

namespace {
SystemClock g_systemClock;
Clock* g_clock = &g_systemClock;
}  // namespace

double SystemClock::Now() const { return ToDayCount(QDateTime::currentDateTime()); }

void ManualClock::AdvanceSeconds(double seconds) { now_ += seconds / kSecondsPerDay; }

Clock& CurrentClock() { return *g_clock; }

void SetCurrentClock(Clock* clock) { g_clock = clock ? clock : &g_systemClock; }

}  // namespace tessar
