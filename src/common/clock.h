// "Now" for the whole program. Production code asks Now(); tests install a
// ManualClock to cross hour and day boundaries without waiting for them.
#pragma once

namespace tessar {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local time as a day count (see date_time.h).
  virtual double Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  double Now() const override;
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(double now = 0.0) : now_(now) {}
  double Now() const override { return now_; }
  void Set(double now) { now_ = now; }
  void AdvanceSeconds(double seconds);

 private:
  double now_;
};

// The clock in use; the system clock unless a test installed another.
Clock& CurrentClock();
// Installs `clock` (not owned) as the clock in use; nullptr restores the system clock.
void SetCurrentClock(Clock* clock);
inline double Now() { return CurrentClock().Now(); }

// Installs a clock for the lifetime of a scope.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock) { SetCurrentClock(&clock); }
  ~ScopedClock() { SetCurrentClock(nullptr); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace tessar
