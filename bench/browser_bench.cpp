// Record browser: loading a day of one board (24 hourly files of 3600
// records) with subsampling 24, against a plain sequential read of the same
// bytes in the same run; and the CSV export of that day as tessar-records
// does it (load without limit, write), in bytes of input per second.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "browser/record_csv.h"
#include "browser/record_loader.h"
#include "common/date_time.h"

namespace {

using namespace tessar;
namespace fs = std::filesystem;

constexpr int kFiles = 24;
constexpr int kRecordsPerFile = 3600;

// The day's files, written once per run.
struct Day {
  QTemporaryDir dir;
  std::vector<fs::path> files;
  std::int64_t bytes = 0;

  Day() {
    const double start = EncodeDateTime({2026, 12, 8});
    std::string header(544, '\0');
    std::memcpy(header.data(), "2.0.2", 5);
    std::memcpy(header.data() + 11, "Kiln", 4);
    std::memcpy(header.data() + 524, "A40001", 6);
    std::memcpy(header.data() + 536, &start, 8);
    for (int h = 0; h < kFiles; ++h) {
      char name[16];
      std::snprintf(name, sizeof name, "%02d0000.ORV", h);
      const fs::path path = fs::path(dir.path().toStdString()) / name;
      std::string bytes = header;
      double record[10];
      for (int i = 0; i < kRecordsPerFile; ++i) {
        record[0] = start + (h * 3600 + i) / 86400.0;
        for (int c = 1; c < 10; ++c) record[c] = 20.0 + c + (i % 97) * 0.013;
        bytes.append(reinterpret_cast<const char*>(record), sizeof record);
      }
      std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      files.push_back(path);
      this->bytes += static_cast<std::int64_t>(bytes.size());
    }
  }
};

const Day& TheDay() {
  static const Day day;
  return day;
}

void BM_LoadDaySubsampling24(benchmark::State& state) {
  const Day& day = TheDay();
  LoadRequest request;
  request.files = day.files;
  request.subsampling = 24;
  for (auto _ : state) {
    const LoadResult r = LoadRecordFiles(request);
    benchmark::DoNotOptimize(r.plottedPoints);
  }
  state.SetBytesProcessed(state.iterations() * day.bytes);
}
BENCHMARK(BM_LoadDaySubsampling24)->Unit(benchmark::kMillisecond);

// The reference: the same bytes read front to back in large blocks.
void BM_PlainSequentialRead(benchmark::State& state) {
  const Day& day = TheDay();
  std::vector<char> buffer(1 << 16);
  for (auto _ : state) {
    std::size_t total = 0;
    for (const fs::path& path : day.files) {
      std::FILE* f = std::fopen(path.c_str(), "rb");
      std::size_t n;
      while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) total += n;
      std::fclose(f);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * day.bytes);
}
BENCHMARK(BM_PlainSequentialRead)->Unit(benchmark::kMillisecond);

void BM_ExportDayCsv(benchmark::State& state) {
  const Day& day = TheDay();
  const fs::path out = fs::path(day.dir.path().toStdString()) / "day.csv";
  LoadRequest request;
  request.files = day.files;
  request.pointLimit = 0;
  request.openFirstForUpdate = false;
  for (auto _ : state) {
    const LoadResult r = LoadRecordFiles(request);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    WriteRecordsCsv(r.data, r.header.startTime, file);
  }
  state.SetBytesProcessed(state.iterations() * day.bytes);
}
BENCHMARK(BM_ExportDayCsv)->Unit(benchmark::kMillisecond);

}  // namespace
