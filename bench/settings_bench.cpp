// Settings image: defaults and a load from disk, the work of every start.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "settings/board_settings.h"

static void BM_FillDefaults(benchmark::State& state) {
  tessar::SettingsImage image;
  for (auto _ : state) {
    tessar::FillDefaults(image, "/home/lab/Tessar");
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_FillDefaults);

static void BM_LoadSettings(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("tessar.SET").toStdString();
  tessar::SettingsImage image;
  tessar::FillDefaults(image, "/home/lab/Tessar");
  tessar::WriteSettingsImage(path, image);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tessar::LoadSettings(path, image));
  }
}
BENCHMARK(BM_LoadSettings);
