#include "acquisition/channel_health.h"

#include <algorithm>
#include <cmath>

#include "acquisition/live_record.h"
#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "common/number_text.h"

namespace tessar {

namespace {

constexpr int kFirstThermocoupleType = 1;  // K
constexpr int kLastThermocoupleType = 5;   // T

bool IsOpenCode(std::int64_t raw) { return raw == kMissingCount || raw == kOverrangeCount; }

HealthState StateOf(const ChannelHealth& c) {
  if (c.open.active) return HealthState::Open;
  if (c.stuck.active) return HealthState::Stuck;
  if (c.jump.active) return HealthState::Jump;
  return HealthState::Ok;
}

// The unchanged time of the channel's count after this cycle's count `raw`.
void FollowCount(ChannelHealth& c, std::int64_t raw, double now) {
  if (!c.haveCount || raw != c.count) {
    c.count = raw;
    c.haveCount = true;
    c.unchangedSeconds = 0.0;
  } else {
    const double step = (now - c.lastSeen) * kSecondsPerDay;
    c.unchangedSeconds += std::clamp(step, 0.0, kHealthLongestStepSeconds);
  }
  c.lastSeen = now;
}

std::string Letter(int board) { return std::string(1, static_cast<char>('A' + board)); }

// A limit as a person wrote it: 20, 0.5, 2.25.
std::string Amount(double value) {
  std::string text = FormatFixed(value, 0, 3);
  while (text.size() > 1 && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

const char* HealthStateName(HealthState state) {
  switch (state) {
    case HealthState::Ok: return "ok";
    case HealthState::Open: return "open";
    case HealthState::Stuck: return "stuck";
    case HealthState::Jump: return "jump";
  }
  return "ok";
}

bool HealthTrack::Observe(bool seen) {
  if (seen == active) {
    streak = 0;
    return false;
  }
  if (++streak < kHealthHysteresis) return false;
  active = seen;
  streak = 0;
  return true;
}

bool IsThermocoupleChannel(const ConversionState& conversion, const BoardSettings& settings,
                           int channel) {
  if (conversion.BoardTypeLetter == 'V' || conversion.BoardTypeLetter == 'A') return false;
  const int type = settings.channelSensorType[channel];
  return type >= kFirstThermocoupleType && type <= kLastThermocoupleType;
}

HealthOutcome CheckHealth(BoardHealth& health, const HealthConfig& config,
                          const std::array<std::int64_t, kSlotCount>& raw,
                          const ConversionState& conversion, const BoardSettings& settings,
                          int modelKind, double now, bool record) {
  HealthOutcome out;
  const int last = LastChannelSlot(modelKind);
  for (int k = 1; k < kSlotCount; ++k) {
    ChannelHealth& c = health.channels[k];
    if (k > last) {
      // not a channel of this model: nothing to tell of it
      if (health.checked[k]) out.announce = true;
      health.checked[k] = false;
      c = ChannelHealth{};
      continue;
    }
    if (!health.checked[k]) {
      out.announce = true;
      health.checked[k] = true;
      c = ChannelHealth{};
      c.since = now;
    }
    const std::int64_t count = raw[k];
    const bool openCode = IsOpenCode(count);
    FollowCount(c, count, now);

    c.open.Observe(config.open && openCode && IsThermocoupleChannel(conversion, settings, k));
    // the open code standing still is an open input, not a frozen one
    c.stuck.Observe(config.stuckMinutes > 0.0 && !openCode &&
                    c.unchangedSeconds >= config.stuckMinutes * 60.0);
    if (record) {
      const double value = conversion.ChannelValue[k];
      const bool valid = value != NoDataValue && std::isfinite(value);
      c.jump.Observe(config.jumpLimit > 0.0 && valid && c.haveRecord &&
                     std::fabs(value - c.recordValue) > config.jumpLimit);
      // no data between two readings breaks the chain: that is no jump
      c.haveRecord = valid;
      c.recordValue = valid ? value : 0.0;
    }

    const HealthState state = StateOf(c);
    if (state != c.state) {
      out.changes.push_back({k, c.state, state});
      c.state = state;
      c.since = now;
    }
  }
  if (!out.changes.empty()) out.announce = true;
  if (!health.announced) {
    health.announced = true;
    out.announce = true;
  }
  if (out.announce) health.time = now;
  return out;
}

std::array<bool, kSlotCount> RelayTrips(const BoardHealth& health, const HealthConfig& config) {
  std::array<bool, kSlotCount> trips{};
  if (!config.openTripsRelays) return trips;
  for (int k = 1; k < kSlotCount; ++k) {
    trips[k] = health.checked[k] && health.channels[k].state == HealthState::Open;
  }
  return trips;
}

std::string HealthChangeLine(int board, const HealthChange& change, const HealthConfig& config,
                             bool koreanUi) {
  const std::string channel = Letter(board) + " CH" + std::to_string(change.channel) + " ";
  switch (change.to) {
    case HealthState::Ok:
      return channel + (koreanUi ? "다시 측정 중" : "reading again");
    case HealthState::Open:
      return channel + (koreanUi ? "열전대 단선" : "thermocouple open");
    case HealthState::Stuck:
      return channel + (koreanUi ? "측정값 고정 (" + Amount(config.stuckMinutes) + "분 동안 변화 없음)"
                                 : "reading stuck (count unchanged for " +
                                       Amount(config.stuckMinutes) + " min)");
    case HealthState::Jump:
      return channel + (koreanUi ? "측정값 급변 (기록 사이 " + Amount(config.jumpLimit) + " 초과)"
                                 : "reading jumps (more than " + Amount(config.jumpLimit) +
                                       " between records)");
  }
  return channel;
}

std::string HealthToolTip(const ChannelHealth& channel, bool koreanUi) {
  const std::string since = FormatDateTime(channel.since);
  switch (channel.state) {
    case HealthState::Ok: return {};
    case HealthState::Open:
      return koreanUi ? "열전대 단선: " + since + "부터" : "Thermocouple open since " + since;
    case HealthState::Stuck:
      return koreanUi ? "측정값 고정: " + since + "부터" : "Reading stuck since " + since;
    case HealthState::Jump:
      return koreanUi ? "측정값 급변: " + since + "부터" : "Reading jumps since " + since;
  }
  return {};
}

HealthReport HealthReportOf(int board, const BoardHealth& health) {
  HealthReport report;
  report.board = board;
  report.time = health.time;
  report.checked = health.checked;
  for (int k = 0; k < kSlotCount; ++k) {
    report.state[k] = health.channels[k].state;
    report.since[k] = health.channels[k].since;
  }
  return report;
}

std::string HealthArrayJson(const HealthReport& report) {
  std::string out = "\"health\":[";
  for (int k = 0; k < kSlotCount; ++k) {
    if (k > 0) out += ',';
    if (!report.checked[k]) {
      out += "null";
    } else {
      out += '"';
      out += HealthStateName(report.state[k]);
      out += '"';
    }
  }
  return out + ']';
}

std::string HealthJsonFields(const HealthReport& report) {
  std::string out = "\"board\":\"" + Letter(report.board) + "\",\"time\":";
  const std::string time = JsonTime(report.time);
  out += time.empty() ? "null" : JsonString(time);
  out += ',' + HealthArrayJson(report) + ",\"since\":[";
  for (int k = 0; k < kSlotCount; ++k) {
    if (k > 0) out += ',';
    const std::string since =
        report.checked[k] && report.state[k] != HealthState::Ok ? JsonTime(report.since[k]) : "";
    out += since.empty() ? "null" : JsonString(since);
  }
  return out + ']';
}

}  // namespace tessar
