// Running median of one channel slot: the window holds the most recent values
// in arrival order and, kept sorted, answers "the (n/2 + 1)-th largest value"
// in O(log size) per step.
#pragma once

#include <cstddef>
#include <deque>
#include <set>

namespace tessar {

// The largest window a board may ask for; longer settings are cut to it so a
// damaged settings file cannot make the windows grow without bound.
constexpr int kMaxFilterLength = 3600;

class RunningMedian {
 public:
  // Pushes `value` (the current sample). When the window then holds `length`
  // values or more, returns the (length/2 + 1)-th largest value of the window
  // (for odd lengths the median, for even ones the lower middle value) and
  // drops the oldest value; otherwise returns `value` unchanged (the first
  // length - 1 samples pass unfiltered). `length` must be at least 2.
  //
  // Equal values keep the order a sorted list would give them when each new
  // value goes in front of the first element not smaller than it and the
  // removal of the oldest value takes the first element equal to it; so even
  // +0.0 and -0.0 come out exactly as from such a list.
  double Push(double value, int length);

  void Clear();
  std::size_t size() const { return arrival_.size(); }

 private:
  // The sorted window is lower_ followed by upper_; upper_ holds the `k`
  // largest values.
  void Rebalance(std::size_t k);
  void InsertSorted(double value);
  void EraseSorted(double value);

  std::deque<double> arrival_;
  std::multiset<double> lower_;
  std::multiset<double> upper_;
};

}  // namespace tessar
