#include "day_recording.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <system_error>

#include "acquisition/recording_file.h"
#include "common/date_time.h"

namespace tessar::shots {

namespace {

constexpr double kRoom = 22.0;
constexpr double kCold = -40.0, kHot = 125.0;
constexpr double kFirstCycle = 3.0, kLastCycleEnd = 21.0;  // hours of the day
constexpr double kCycleHours = 3.0;                          // one cold-hot-cold cycle

// The chamber's set point, in degC: at room temperature until the first
// cycle, then 30 minutes up to the hot dwell, an hour there, 30 minutes down
// to the cold dwell and an hour there, and back to room temperature after
// the last cycle.
double SetPoint(double hours) {
  if (hours < kFirstCycle || hours >= kLastCycleEnd) return kRoom;
  const double t = std::fmod(hours - kFirstCycle, kCycleHours) * 60.0;  // minutes into the cycle
  const bool first = hours - kFirstCycle < kCycleHours;
  const double from = first ? kRoom : kCold;
  if (t < 30) return from + (kHot - from) * t / 30.0;
  if (t < 90) return kHot;
  if (t < 120) return kHot + (kCold - kHot) * (t - 90.0) / 30.0;
  return kCold;
}

// A first-order lag: a thermal mass that follows its input with time
// constant `minutes`.
struct Lag {
  double minutes;
  double value = kRoom;
  double Step(double input, double stepMinutes) {
    value += (input - value) * (1.0 - std::exp(-stepMinutes / minutes));
    return value;
  }
};

}  // namespace

std::string WriteCyclingDay(const std::filesystem::path& dataDirectory, int board,
                            const BoardSettings& settings, double dayStart, int intervalSeconds) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(RecordingDirectory(dataDirectory, board, dayStart), ec);

  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  // channels 1..8: air in, air out, two samples, the base plate, coolant,
  // heater and the room
  Lag airIn{1.5}, airOut{3.0}, sample1{7.0}, sample2{11.0}, plate{5.0}, heater{4.0};
  const double step = intervalSeconds / 60.0;

  const RecordingHeader header = BuildRecordingHeader(settings, dayStart);
  fs::path file;
  std::int16_t fileHour = -1;
  const int records = static_cast<int>(kSecondsPerDay) / intervalSeconds;
  for (int i = 0; i < records; ++i) {
    const double seconds = double(i) * intervalSeconds;
    const double now = dayStart + seconds / kSecondsPerDay;
    const double hours = seconds / 3600.0;
    if (DecodeDateTime(now).hour != fileHour) {  // a new file every clock hour
      file = NewRecordingFileName(dataDirectory, board, now, fileHour);
      if (file.empty() || !WriteRecordingHeader(file, header, &ec))
        return "cannot write " + file.string() + ": " + ec.message();
    }
    const double set = SetPoint(hours);
    const double in = airIn.Step(set, step);
    const double rising = SetPoint(hours + step / 60.0) - set;  // the heater works while it rises
    const double room = kRoom + 1.5 * std::sin(2 * std::numbers::pi * (hours - 9.0) / 24.0);
    RecordingRecord record{};
    record.time = now;
    record.values[0] = room + 2.0 + 0.05 * noise(rng);  // the device's cold junction
    record.values[1] = in + 0.6 * noise(rng);
    record.values[2] = airOut.Step(in, step) + 0.6 * noise(rng);
    record.values[3] = sample1.Step(in, step) + 0.3 * noise(rng);
    record.values[4] = sample2.Step(in, step) + 0.3 * noise(rng);
    record.values[5] = plate.Step(in, step) + 0.4 * noise(rng);
    record.values[6] = 8.0 + (in < 0 ? 6.0 : 1.0) + 0.4 * noise(rng);
    record.values[7] =
        heater.Step(rising > 0 ? 175.0 : set >= kHot ? 140.0 : room + 8.0, step) + 1.5 * noise(rng);
    record.values[8] = room + 0.15 * noise(rng);
    if (!AppendRecordingRecord(file, header, record, &ec))
      return "cannot append to " + file.string() + ": " + ec.message();
  }
  return {};
}

}  // namespace tessar::shots
