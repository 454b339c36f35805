#include "device/device_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessar {
namespace {

// What a board's watch sees, one step at a time.
struct Step {
  enum Kind { Tick, Bytes, Line, Frame, Reopen } kind;
  std::string read;  // Line: what the frame event read
  WatchChange expected = WatchChange::None;
};

std::string Line(std::size_t length) { return std::string(length - 1, '0') + '\n'; }

// Each change is told once: silence after ten ticks without a byte, until
// the next byte; lines of one length the model does not take, three times
// in a row, until a frame fits. Noise and the model's own length (a frame
// dropped while acquisition is held) are no misfit.
TEST(DeviceWatch, EachChangeIsToldOnceWhenItStartsAndWhenItEnds) {
  using S = Step;
  std::vector<Step> ticks(kSilentTicks - 1, S{S::Tick});
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"silence and its end",
       [&] {
         std::vector<Step> s = ticks;
         s.push_back({S::Tick, "", WatchChange::FellSilent});
         s.push_back({S::Tick});
         s.push_back({S::Bytes, "", WatchChange::SendsAgain});
         s.push_back({S::Bytes});
         return s;
       }()},
      {"a byte before the tenth tick keeps it heard",
       [&] {
         std::vector<Step> s = ticks;
         s.push_back({S::Bytes});
         s.insert(s.end(), ticks.begin(), ticks.end());
         return s;
       }()},
      {"a reopened port counts its silence afresh",
       [&] {
         std::vector<Step> s = ticks;
         s.push_back({S::Reopen});
         s.insert(s.end(), ticks.begin(), ticks.end());
         s.push_back({S::Tick, "", WatchChange::FellSilent});
         return s;
       }()},
      {"another model's lines, then the right device",
       {{S::Line, Line(56)}, {S::Line, Line(56)}, {S::Line, Line(56), WatchChange::Misfit},
        {S::Line, Line(56)}, {S::Reopen}, {S::Line, Line(56)},
        {S::Frame, Line(72), WatchChange::FitsAgain}, {S::Frame, Line(72)}}},
      {"noise between wrong lines starts the count again",
       {{S::Line, Line(56)}, {S::Line, Line(56)}, {S::Line, "12\n34\n"}, {S::Line, Line(56)},
        {S::Line, Line(40)}, {S::Line, Line(40)}, {S::Line, Line(40), WatchChange::Misfit}}},
      {"frames of the right length dropped by a hold",
       {{S::Line, Line(72)}, {S::Line, Line(72)}, {S::Line, Line(72)}, {S::Line, Line(72)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceWatch health;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      WatchChange got = WatchChange::None;
      switch (step.kind) {
        case S::Tick: got = QuietTick(health); break;
        case S::Bytes: got = BytesHeard(health); break;
        case S::Line: got = LineHeard(health, step.read, false, 72); break;
        case S::Frame: got = LineHeard(health, step.read, true, 72); break;
        case S::Reopen: ResetSilence(health); break;
      }
      EXPECT_EQ(got, step.expected) << "step " << i;
    }
  }
}

}  // namespace
}  // namespace tessar
