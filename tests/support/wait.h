// The one way the suites wait: for an event, never for a fixed time.
//
// Every deadline here is a guard against a hang, not a measure of speed: it is
// multiplied by TESSAR_TEST_TIME_SCALE (default 1; scripts/test --sanitize sets
// it higher), so a slow build or a loaded machine only waits longer.
#pragma once

#include <functional>

namespace tessar::test {

// TESSAR_TEST_TIME_SCALE, at least 1.
double TimeScale();
// `ms` multiplied by the time scale.
int Scaled(int ms);

// Runs this thread's event loop until `done` holds, or the scaled `timeoutMs`
// has passed; returns done(). Blocks while no event is pending (it does not
// spin a core) and looks at `done` again after every batch of events and at
// least every 20 ms, so conditions outside the event loop (a file, a child
// process) are seen too. Without a QCoreApplication it sleeps between looks.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs this thread's event loop for `ms` (not scaled), blocking while nothing
// is pending. Only for letting a fixed number of the program's own timer
// ticks pass; a check that something did NOT happen should instead wait for a
// later event that proves the program went past the point in question.
void RunEventsFor(int ms);

}  // namespace tessar::test
