#include "config/ui/board_pages.h"

#include "acquisition/conversion.h"
#include "config/number_text.h"
#include "device/frame_reception.h"
#include "config/ui/config_page.h"
#include "i18n/text_codec.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/display_page.h"

namespace tessar {

void ApplyChartPage(int board, ProgramState& state, const BoardPages& pages, ApplyOptions options) {
  const BoardSettings& record = state.Settings.boards[board];
  ChartPage& chart = *pages.chart;
  DisplayPage& display = *pages.display;
  BoardRunState& run = state.Boards[board];

  // 1. model kind and frame length; a model outside the table changes neither
  ApplyModelToFrameState(FieldBytes(record.modelName), run.frame);
  // 2. the board's sensor letter and per-slot range scales
  ApplyConversionSettings(run.conversion, record, run.frame.ModelKind);

  // 3. channel names, limits and alarm switches
  for (int k = 1; k <= kChannelCount; ++k) {
    display.EdName[board][k]->setText(ReadField(record.channelName[k]));
    chart.EdHigh[k]->setText(FormatFixed(record.alarmHigh[k], 2));
    chart.EdLow[k]->setText(FormatFixed(record.alarmLow[k], 2));
    chart.ChkAl[k]->setChecked(record.alarmEnabled[k] != 0);
  }
  // 4. port and interval
  if (options.selectPortAndInterval) {
    pages.config->SelectPort(record.portNumber);
    pages.config->UDInt->setValue(record.sampleInterval);
  }
  // 5. time axis
  chart.TimeAxis->setFormat(QStringLiteral("hh:mm:ss"));
  if (state.ElapsedAxis) chart.TimeAxis->setTitleText(QStringLiteral("Elapse Time"));
  // 6. titles
  const QString jobTitle = ReadField(record.jobTitle);
  chart.LblTitle->setText(jobTitle);
  display.EditT[board]->setText(jobTitle);
  chart.chart()->setTitle(ReadField(record.chartTitle));
  chart.ValueAxis->setTitleText(ReadField(record.yAxisTitle));
  // 7. series visibility and titles
  for (int i = 0; i < kSlotCount; ++i) {
    const bool visible = record.channelVisible[i] != 0;
    chart.Chk[i]->setChecked(visible);
    chart.Series[i]->setVisible(visible);
    chart.Series[i]->setName(ReadField(record.channelName[i]));
  }
}

void ApplyConfigPage(int board, ProgramState& state, const BoardPages& pages) {
  const BoardSettings& record = state.Settings.boards[board];
  ConfigPage& config = *pages.config;
  ChartPage& chart = *pages.chart;
  DisplayPage& display = *pages.display;
  const int kind = state.Boards[board].frame.ModelKind;

  auto enableChannel = [&](int k, bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             config.EdT1[k], config.EdT0[k], config.EdMicv[k], config.EdMxcv[k], config.CbTy[k],
             config.CBR[k], chart.Chk[k], chart.ChkAl[k], chart.EdHigh[k], chart.EdLow[k],
             display.EdName[board][k], chart.EdValue[k]})
      w->setEnabled(enabled);
  };

  // 1. everything on; the manual relay boxes stay off while the relays
  // follow the alarms (interlock checked)
  for (int k = 1; k <= kChannelCount; ++k) enableChannel(k, true);
  for (int o = 1; o < 4; ++o) config.ChkDO[o]->setEnabled(!config.ChkR->isChecked());
  // 2. range choices of the model
  config.SetRangeItems(kind);
  // 3. model, serial number, board type
  config.LblModel->setText(ReadField(record.modelName));
  config.EdSNum->setText(ReadField(record.serialNumber));
  config.RgTC->setItemIndex(record.boardSensorType);
  // 4. channel types follow the board type unless it is "H"
  const bool ownTypes = record.boardSensorType > 6;
  for (int k = 1; k <= kChannelCount; ++k) {
    config.CbTy[k]->setCurrentIndex(ownTypes ? record.channelSensorType[k]
                                             : record.boardSensorType);
    config.CbTy[k]->setEnabled(ownTypes);
  }
  // 5. corrections
  config.EdPA1->setText(FormatFixed(record.voltA1, 5));
  config.EdPA0->setText(FormatFixed(record.voltA0, 5));
  config.EdVs->setText(FormatFixed(record.refVoltage, 5));
  // 6. ranges and conversion
  for (int k = 1; k <= kChannelCount; ++k) {
    config.CBR[k]->setCurrentIndex(RangeIndexOf(kind, record.channelRangeMv[k]));
    config.EdT1[k]->setText(FormatFixed(record.channelT1[k], 5));
    config.EdT0[k]->setText(FormatFixed(record.channelT0[k], 5));
    config.EdMicv[k]->setText(FormatFixed(record.channelMin[k], 5));
    config.EdMxcv[k]->setText(FormatFixed(record.channelMax[k], 5));
  }
  // 7. what the model lacks
  for (int k = ChannelCountOf(kind) + 1; k <= kChannelCount; ++k) enableChannel(k, false);
  for (int o = RelayCountOf(kind); o < 4; ++o) config.ChkDO[o]->setEnabled(false);
}

}  // namespace tessar
