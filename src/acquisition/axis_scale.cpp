#include "acquisition/axis_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace tessar {
namespace {

constexpr double kDataMargin = 0.03;  // of the data's span, inside both ends
constexpr double kFlatMargin = 1.0;   // value units either side of a single level
// Ticks closer than this part of the values they label would need more digits
// than a label shows; nor finer than 12 decimals.
constexpr double kFinestRelativeStep = 1e-7;
constexpr double kFinestStep = 1e-12;
// Quotients this close to a whole number count as whole: 24 / 0.2 is a tick.
constexpr double kWhole = 1e-9;
constexpr int kShortenings = 64;  // eighths of a unit in the last place
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// mantissa x 10^exponent, mantissa 1, 2 or 5.
struct Step {
  int mantissa = 1;
  int exponent = 0;

  double Value() const { return Times(1.0); }
  // k steps, computed so that round multiples come out as the decimal they
  // are (3 x 0.1 is 0.3, not 0.30000000000000004).
  double Times(double k) const {
    if (k == 0) return 0.0;  // never -0
    const double power = std::pow(10.0, std::abs(exponent));
    return exponent >= 0 ? k * mantissa * power : k * mantissa / power;
  }
  Step Next() const {
    if (mantissa == 1) return {2, exponent};
    if (mantissa == 2) return {5, exponent};
    return {1, exponent + 1};
  }
  int Decimals() const { return std::max(0, -exponent); }
};

// The smallest round step of at least `x`.
Step FirstStepAtLeast(double x) {
  Step s{1, static_cast<int>(std::floor(std::log10(x)))};
  while (s.Value() < x * (1.0 - kWhole)) s = s.Next();
  return s;
}

double FinestStep(double a, double b) {
  return std::max(std::max(std::fabs(a), std::fabs(b)) * kFinestRelativeStep, kFinestStep);
}

// Whether adding `interval` to `anchor` while the sum is <= max meets the
// `ticks` and no other, zero as +0.
bool MeetsEveryTick(double anchor, double interval, double max, const std::vector<double>& ticks,
                    double tolerance) {
  std::size_t i = 0;
  for (double v = anchor; v <= max; v += interval, ++i) {
    if (i >= ticks.size()) return false;
    const double tick = ticks[i];
    if (tick == 0.0 ? (v < 0.0 || std::signbit(v)) : std::fabs(v - tick) > tolerance) return false;
  }
  return i == ticks.size();
}

// The scale of [min, max] with the ticks k0 .. k1 of `s`.
//
// A sum of steps strays from the round ticks by a few units in the last
// place of the largest value, either way: the last tick can end up a hair
// above the range and be left out, zero a hair below and read "-0.0". So
// the interval is shortened and the anchor raised by such units, the least
// that makes the sums meet every tick.
// `met`: whether such an interval and anchor were found.
AxisScale Scale(double min, double max, const Step& s, double k0, double k1, bool* met = nullptr) {
  if (met != nullptr) *met = true;
  AxisScale scale{min, max, s.Value(), s.Times(k0), static_cast<int>(k1 - k0) + 1, s.Decimals()};
  scale.anchor = scale.firstTick;
  scale.interval = scale.step;
  std::vector<double> ticks;
  for (double k = k0; k <= k1; ++k) ticks.push_back(s.Times(k));
  const double largest = std::max({std::fabs(min), std::fabs(max), std::fabs(scale.firstTick)});
  const double unit = std::nextafter(largest, kInfinity) - largest;
  const double tolerance = scale.step * 1e-6;
  for (int shorter = 0; shorter <= kShortenings; ++shorter) {
    const double interval = scale.step - shorter * unit / 8.0;
    for (int raised = 0; raised <= 8 * (scale.tickCount + 1); ++raised) {
      const double anchor = scale.firstTick + raised * unit;
      if (anchor - min >= interval) break;  // the chart would start a tick later
      if (MeetsEveryTick(anchor, interval, max, ticks, tolerance)) {
        scale.anchor = anchor;
        scale.interval = interval;
        return scale;
      }
    }
  }
  if (met != nullptr) *met = false;
  return scale;
}

AxisScale Unscaled(double min, double max) {
  AxisScale scale{min, max, 0.0, min, 0, 0};
  scale.anchor = min;
  return scale;
}

}  // namespace

AxisScale AutomaticScale(double low, double high) {
  if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0.0;
  if (low > high) std::swap(low, high);
  const double span = high - low;
  const double pad = span > 0.0 ? span * kDataMargin : kFlatMargin;
  const double lo = low - pad;
  const double hi = high + pad;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(hi - lo)) return ScaleOfRange(low, high);

  Step s = FirstStepAtLeast(std::max((hi - lo) / kMaxTickIntervals, FinestStep(lo, hi)));
  for (;; s = s.Next()) {
    const double k0 = std::floor(lo / s.Value() + kWhole);
    double k1 = std::ceil(hi / s.Value() - kWhole);
    if (k1 - k0 > kMaxTickIntervals) continue;
    bool met = false;
    const AxisScale scale = Scale(s.Times(k0), s.Times(k1), s, k0, k1, &met);
    if (met || k1 != 0) return scale;
    // No sum of these fractional steps ends on zero exactly: with zero at
    // the top the range goes one step beyond it.
    if (++k1 - k0 > kMaxTickIntervals) continue;
    return Scale(s.Times(k0), s.Times(k1), s, k0, k1);
  }
}

AxisScale ScaleOfRange(double min, double max) {
  if (!std::isfinite(min) || !std::isfinite(max) || !(max > min) || !std::isfinite(max - min))
    return Unscaled(min, max);
  Step s = FirstStepAtLeast(std::max((max - min) / kMaxTickIntervals, FinestStep(min, max)));
  double k0 = 0.0, k1 = 0.0;
  for (;;) {
    // the multiples of the step inside the range, exactly
    k0 = std::ceil(min / s.Value());
    while (s.Times(k0) < min) ++k0;
    while (s.Times(k0 - 1) >= min) --k0;
    k1 = std::floor(max / s.Value());
    while (s.Times(k1) > max) --k1;
    while (s.Times(k1 + 1) <= max) ++k1;
    if (k1 - k0 <= kMaxTickIntervals) break;
    s = s.Next();
  }
  if (k1 < k0) return Unscaled(min, max);  // no round tick inside
  return Scale(min, max, s, k0, k1);
}

}  // namespace tessar
