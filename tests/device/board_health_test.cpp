#include "device/board_health.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessar {
namespace {

// What a board's watch sees, one step at a time.
struct Step {
  enum Kind { Tick, Bytes, Line, Frame, Reopen } kind;
  std::string read;  // Line: what the frame event read
  HealthChange expected = HealthChange::None;
};

std::string Line(std::size_t length) { return std::string(length - 1, '0') + '\n'; }

// Each change is told once: silence after ten ticks without a byte, until
// the next byte; lines of one length the model does not take, three times
// in a row, until a frame fits. Noise and the model's own length (a frame
// dropped while acquisition is held) are no misfit.
TEST(BoardHealth, EachChangeIsToldOnceWhenItStartsAndWhenItEnds) {
  using S = Step;
  std::vector<Step> ticks(kSilentTicks - 1, S{S::Tick});
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"silence and its end",
       [&] {
         std::vector<Step> s = ticks;
         s.push_back({S::Tick, "", HealthChange::FellSilent});
         s.push_back({S::Tick});
         s.push_back({S::Bytes, "", HealthChange::SendsAgain});
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
         s.push_back({S::Tick, "", HealthChange::FellSilent});
         return s;
       }()},
      {"another model's lines, then the right device",
       {{S::Line, Line(56)}, {S::Line, Line(56)}, {S::Line, Line(56), HealthChange::Misfit},
        {S::Line, Line(56)}, {S::Reopen}, {S::Line, Line(56)},
        {S::Frame, Line(72), HealthChange::FitsAgain}, {S::Frame, Line(72)}}},
      {"noise between wrong lines starts the count again",
       {{S::Line, Line(56)}, {S::Line, Line(56)}, {S::Line, "12\n34\n"}, {S::Line, Line(56)},
        {S::Line, Line(40)}, {S::Line, Line(40)}, {S::Line, Line(40), HealthChange::Misfit}}},
      {"frames of the right length dropped by a hold",
       {{S::Line, Line(72)}, {S::Line, Line(72)}, {S::Line, Line(72)}, {S::Line, Line(72)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BoardHealth health;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      HealthChange got = HealthChange::None;
      switch (step.kind) {
        case S::Tick: got = HealthTick(health); break;
        case S::Bytes: got = HealthBytes(health); break;
        case S::Line: got = HealthLine(health, step.read, false, 72); break;
        case S::Frame: got = HealthLine(health, step.read, true, 72); break;
        case S::Reopen: ResetSilence(health); break;
      }
      EXPECT_EQ(got, step.expected) << "step " << i;
    }
  }
}

}  // namespace
}  // namespace tessar
