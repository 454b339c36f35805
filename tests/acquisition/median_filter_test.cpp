#include "acquisition/median_filter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <list>
#include <random>
#include <vector>

namespace tessar {
namespace {

// The filter as a pair of plain lists: arrival order, and ascending order in
// which a new value goes in front of the first element not smaller than it;
// removing the oldest value removes the first sorted element equal to it.
class ListMedian {
 public:
  double Push(double v, int n) {
    arrival_.push_back(v);
    auto it = sorted_.begin();
    while (it != sorted_.end() && *it < v) ++it;
    sorted_.insert(it, v);
    if (static_cast<int>(arrival_.size()) < n) return v;
    // the (n/2 + 1)-th largest
    auto pick = sorted_.end();
    for (int i = 0; i < n / 2 + 1; ++i) --pick;
    const double result = *pick;
    const double oldest = arrival_.front();
    arrival_.pop_front();
    for (auto s = sorted_.begin(); s != sorted_.end(); ++s) {
      if (*s == oldest) {
        sorted_.erase(s);
        break;
      }
    }
    return result;
  }

 private:
  std::list<double> arrival_;
  std::list<double> sorted_;
};

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Few distinct values (many duplicates, both zeros, the no-data sentinel) or
// continuous ones.
double RandomValue(std::mt19937_64& rng, bool coarse) {
  if (coarse) {
    static const double pool[] = {-0.0, 0.0, 1.0, -1.0, 2.5, -0.0001112, 20.0, 20.0};
    return pool[rng() % 8];
  }
  return std::uniform_real_distribution<double>(-100.0, 100.0)(rng);
}

void CompareOnRandomSequence(int n, int steps, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  RunningMedian fast;
  ListMedian reference;
  const bool coarse = seed % 2 == 0;
  for (int i = 0; i < steps; ++i) {
    const double v = RandomValue(rng, coarse);
    const double a = fast.Push(v, n);
    const double b = reference.Push(v, n);
    ASSERT_EQ(Bits(a), Bits(b)) << "n=" << n << " step " << i << " seed " << seed;
  }
}

TEST(MedianFilterTest, EqualsTheListRuleForEveryLengthUpTo50) {
  for (int n = 2; n <= 50; ++n) {
    for (std::uint64_t seed = 0; seed < 4; ++seed) CompareOnRandomSequence(n, 6 * n + 40, seed * 97 + n);
  }
}

TEST(MedianFilterTest, EqualsTheListRuleAtTheLongestWindow) {
  CompareOnRandomSequence(3600, 9000, 1);  // continuous values
  CompareOnRandomSequence(3600, 9000, 2);  // heavy duplicates
}

TEST(MedianFilterTest, FirstCyclesPassUnfilteredThenTheLowerMiddleIsTaken) {
  RunningMedian m;
  EXPECT_EQ(m.Push(4.0, 4), 4.0);
  EXPECT_EQ(m.Push(1.0, 4), 1.0);
  EXPECT_EQ(m.Push(3.0, 4), 3.0);
  // {4, 1, 3, 2}: the 3rd largest of four is 2.
  EXPECT_EQ(m.Push(2.0, 4), 2.0);
  EXPECT_EQ(m.size(), 3u);
  // {1, 3, 2, 10}: 2
  EXPECT_EQ(m.Push(10.0, 4), 2.0);
  // odd length: the median
  RunningMedian odd;
  odd.Push(5.0, 3);
  odd.Push(-7.0, 3);
  EXPECT_EQ(odd.Push(6.0, 3), 5.0);
  m.Clear();
  EXPECT_EQ(m.size(), 0u);
  EXPECT_EQ(m.Push(8.0, 4), 8.0);
}

TEST(MedianFilterTest, ALengthChangedDuringARunFollowsTheSameRule) {
  std::mt19937_64 rng(7);
  RunningMedian fast;
  ListMedian reference;
  const int lengths[] = {10, 3, 30, 2, 7};
  for (int n : lengths) {
    for (int i = 0; i < 60; ++i) {
      const double v = RandomValue(rng, i % 2 == 0);
      ASSERT_EQ(Bits(fast.Push(v, n)), Bits(reference.Push(v, n))) << "n=" << n << " i=" << i;
    }
  }
}

}  // namespace
}  // namespace tessar
