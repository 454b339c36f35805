// Under a locale whose decimal separator is a comma, every number the user
// types, every number the programs write and every value they record still
// uses the decimal point: settings files, recordings and the wire are read on
// other machines.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/recording_file.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "common/number_text.h"
#include "config/config_store.h"
#include "config/number_text.h"
#include "config/ui/config_page.h"
#include "device/device_replies.h"
#include "settings/settings_fields.h"
#include "test_support.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

constexpr char kCommaLocale[] = "de_DE.UTF-8";

// The comma locale for the C library, Qt and child processes, while it lives.
class CommaLocale {
 public:
  CommaLocale()
      : savedC_(std::setlocale(LC_ALL, nullptr)),
        savedEnv_(qgetenv("LC_ALL")),
        hadEnv_(qEnvironmentVariableIsSet("LC_ALL")) {
    active_ = std::setlocale(LC_ALL, kCommaLocale) != nullptr;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    qputenv("LC_ALL", kCommaLocale);
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, savedC_.c_str());
    QLocale::setDefault(QLocale::c());
    if (hadEnv_) qputenv("LC_ALL", savedEnv_);
    else qunsetenv("LC_ALL");
  }
  bool Active() const { return active_; }

 private:
  std::string savedC_;
  QByteArray savedEnv_;
  bool hadEnv_;
  bool active_ = false;
};

// A kind-1 mV board counting 1/1000 mV: channels 1..4 read 1.5, 0.25, 3 and
// 4.125 mV; the cold junction 0.
constexpr char kFrame[] = "000000, 0005DC, 0000FA, 000BB8, 00101D\r\n";

TEST(DecimalPoint, TypedWrittenAndRecordedNumbersUseThePointUnderACommaLocale) {
  CommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << kCommaLocale << " is not generated: run scripts/setup";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5") << "the C library must use the comma for this test to mean anything";
  ASSERT_EQ(QLocale().toString(1.5), "1,5");

  // Typed: the configuration page's edits, stored by its OK button.
  struct Typed {
    const char* text;
    bool accepted;
    double value;
  };
  const Typed typed[] = {
      {"1.25", true, 1.25}, {" -0.5 ", true, -0.5}, {"2e-3", true, 0.002},
      {"1,25", false, 0.0}, {"1.000,5", false, 0.0},
  };
  for (const Typed& t : typed) {
    SCOPED_TRACE(t.text);
    ConfigPage page(0);
    page.SetRangeItems(1);
    for (QLineEdit* edit : {page.EdVs, page.EdPA1, page.EdPA0}) edit->setText(t.text);
    for (int k = 1; k <= kChannelCount; ++k) {
      for (QLineEdit* edit : {page.EdT1[k], page.EdT0[k], page.EdMicv[k], page.EdMxcv[k]}) {
        edit->setText(t.text);
      }
    }
    SettingsImage image;
    FillDefaults(image, "/data");
    std::array<ConfigPageTexts, kBoardCount> pages;
    pages.fill(page.Texts());
    const StoreResult result = StoreConfigPages(image, {}, pages, {1, 1, 1, 1});
    EXPECT_EQ(result.invalidNumber, !t.accepted);
    const BoardSettings& stored = image.boards[3];
    EXPECT_EQ(stored.refVoltage, t.accepted ? t.value : 0.0);
    EXPECT_EQ(stored.channelMax[8], t.accepted ? t.value : 10000.0);
    double coldJunction = 99.0;
    EXPECT_EQ(ParseFixedColdJunction(t.text, coldJunction), t.accepted);
  }

  // Recorded: one acquisition cycle into a recording file, shown on a page.
  QTemporaryDir tmp;
  BoardSettings settings;
  FillBoardDefaults(settings, 0, tmp.path().toStdString());
  for (double& range : settings.channelRangeMv) range = kFullScaleCount / 1000.0;
  settings.boardSensorType = 7;  // per-channel types: all mV
  settings.sampleInterval = 1;
  CycleInputs inputs;
  inputs.settings = &settings;
  inputs.dataDirectory = fs::path(tmp.path().toStdString()) / "data";
  BoardRunState state;
  state.frame.ModelKind = 1;
  ApplyConversionSettings(state.conversion, settings, 1);
  ManualClock clock(EncodeDateTime({2026, 12, 8, 14, 5, 32}));
  ScopedClock scoped(clock);
  ChartPage chart(0);
  const CycleOutcome out = RunCycle(state, kFrame, clock.Now(), inputs);
  ApplyCycleOutcome(chart, out);
  ASSERT_TRUE(out.recordWritten);
  const std::string file = test::FileText(state.run.RecordFileName);
  ASSERT_EQ(file.size(), kRecordingHeaderSize + kRecordingRecordSize);
  const double recorded[] = {1.5, 0.25, 3.0, 4.125};
  for (int k = 1; k <= 4; ++k) {
    EXPECT_NEAR(test::LeDoubleAt(file, kRecordingHeaderSize + 8 + 8 * k), recorded[k - 1], 1e-9)
        << "channel " << k;
  }

  // Written: every text a number becomes.
  SettingsImage image;
  FillDefaults(image, "/data");
  image.boards[0].refVoltage = 2.25;
  const FieldInfo* refVoltage = FindField(BoardSettingsFields(), "refVoltage");
  ASSERT_NE(refVoltage, nullptr);
  const std::string settingsPath = tmp.path().toStdString() + "/tessar.SET";
  ASSERT_TRUE(WriteSettingsImage(settingsPath, image));
  const test::ProcessResult shown =
      test::RunProcess(test::BinPath("tessar-settings"), {"show", QString::fromStdString(settingsPath)});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;

  struct Written {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Written written[] = {
      {"value box", out.valueTexts[0], "   1.50 "},
      {"last value box", out.valueTexts[3], "  4.125 "},
      {"memo line", chart.Memo->toPlainText().toStdString(),
       "     1 " + FormatShortDateTime(clock.Now()) + "    0.00    1.50    0.25    3.00   4.125 "},
      {"memo column", FormatColumn(-1234.5, 2), "-1234.50 "},
      {"configuration edit", FormatFixed(0.25, 5).toStdString(), "0.25000"},
      {"alarm edit", FormatFixed(-20.0, 2).toStdString(), "-20.00"},
      {"settings field", FormatFieldElement(*refVoltage,
                                            reinterpret_cast<const unsigned char*>(&image.boards[0]), 0),
       "2.25"},
      {"tessar-settings show", shown.out.find("A.refVoltage = 2.25\n") != std::string::npos
                                   ? "found" : shown.out,
       "found"},
      {"configuration dump", FormatDumpNumber(-0.125), "-0.125"},
  };
  for (const Written& w : written) {
    EXPECT_EQ(w.text, w.expected) << w.what;
  }
}

}  // namespace
}  // namespace tessar
