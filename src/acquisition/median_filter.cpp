#include "acquisition/median_filter.h"

#include <cmath>
#include <iterator>

namespace tessar {

void RunningMedian::Clear() {
  arrival_.clear();
  lower_.clear();
  upper_.clear();
}

void RunningMedian::InsertSorted(double value) {
  // In front of the first element not smaller than `value`. The hint insert
  // places a value as close as possible before the hint, i.e. in front of any
  // equal elements.
  auto inLower = lower_.lower_bound(value);
  if (inLower != lower_.end()) {
    lower_.insert(inLower, value);
  } else {
    upper_.insert(upper_.lower_bound(value), value);
  }
}

void RunningMedian::EraseSorted(double value) {
  // The first element of the whole sorted sequence that equals `value`.
  auto inLower = lower_.lower_bound(value);
  if (inLower != lower_.end() && *inLower == value) {
    lower_.erase(inLower);
    return;
  }
  auto inUpper = upper_.lower_bound(value);
  if (inUpper != upper_.end() && *inUpper == value) upper_.erase(inUpper);
}

void RunningMedian::Rebalance(std::size_t k) {
  while (upper_.size() > k) {
    auto first = upper_.begin();
    lower_.insert(lower_.end(), *first);  // behind the equal elements already there
    upper_.erase(first);
  }
  while (upper_.size() < k && !lower_.empty()) {
    auto last = std::prev(lower_.end());
    upper_.insert(upper_.begin(), *last);  // in front of the equal elements already there
    lower_.erase(last);
  }
}

double RunningMedian::Push(double value, int length) {
  // NaN has no place in an ordering; the conversion never produces one, but
  // the window must stay sound whatever it is given.
  if (std::isnan(value)) value = 0.0;
  arrival_.push_back(value);
  InsertSorted(value);
  const std::size_t n = static_cast<std::size_t>(length < 2 ? 2 : length);
  const std::size_t k = n / 2 + 1;
  Rebalance(k);
  if (arrival_.size() < n) return value;
  const double result = *upper_.begin();
  EraseSorted(arrival_.front());
  arrival_.pop_front();
  Rebalance(k);
  return result;
}

}  // namespace tessar
