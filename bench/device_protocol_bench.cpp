// Device link: the frame event's decision and the configuration parse, the
// work of every received line and of every Get Configure.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/device_protocol.h"
#include "device/device_replies.h"
#include "device/frame_reception.h"

static void BM_ReceiveFrame72(benchmark::State& state) {
  tessar::FrameState frames;
  tessar::ApplyModelToFrameState("ORVA-2280", frames);
  const std::vector<std::int32_t> counts = {0x09C400, 1, 2, 3, 4, 5, 6, 7, 8};
  const std::string frame = tessar::FormatFrame(counts);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tessar::ReceiveFrame(frames, frame));
  }
}
BENCHMARK(BM_ReceiveFrame72);

static void BM_CollectAndParseKind2Reply(benchmark::State& state) {
  tessar::DeviceConfig config;
  const std::string reply = tessar::FormatConfigReply(config);
  tessar::BoardSettings record;
  std::memset(&record, 0, sizeof record);
  for (auto _ : state) {
    tessar::ReplyCollector collector;
    for (char c : reply) {
      if (collector.Feed(c)) {
        benchmark::DoNotOptimize(tessar::ParseConfigReply(collector.ReplyText, 0, 1, record));
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_CollectAndParseKind2Reply);
