// The live page of one board ("DAQ 1" .. "DAQ 4"): the chart of its nine
// slots, channel boxes, value boxes, alarm switches and limits, the memo,
// zoom, scroll and export buttons, and the board's chart menu. The page only
// builds and holds the controls; the acquisition cycle, the alarms, the chart
// operations and the exports act on them through these members. Per-channel
// arrays are indexed by slot/channel (0..8; entry 0 empty where the family
// has no slot-0 control).
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <array>

#include "acquisition/chart_model.h"
#include "acquisition/ui/chart_view.h"

namespace tessar {

// Colours of the value boxes: normal and in alarm.
inline constexpr QRgb kValueBoxColor = 0xF3F5CB;
inline constexpr QRgb kValueBoxAlarmColor = 0xFF0000;

class ChartPage : public QWidget {
  Q_OBJECT
 public:
  explicit ChartPage(int board, QWidget* parent = nullptr);

  int board() const { return board_; }
  // The chart's background: white, yellow while the board is in alarm.
  void SetChartBackground(const QColor& colour);

  // The board's chart data, drawn by Chart (nullptr: nothing to draw).
  void SetModel(const ChartModel* model) { Chart->SetModel(model); }
  const ChartModel* model() const { return Chart->model(); }
  // Asks for a repaint of the chart; a page that is not shown paints nothing.
  void Redraw() { Chart->viewport()->update(); }
  // The memo's text colour (red while in alarm, black again on a click).
  void SetMemoTextColor(const QColor& colour);

  QLabel* LblTitle = nullptr;  // job title above the chart
  QFrame* Shape = nullptr;     // activity indicator, blinks once per processed frame
  QLabel* LblStart = nullptr;  // start time of the run
  QLabel* LblTime = nullptr;   // mouse read-out: time ("hh:mm:ss" initially)
  QLabel* LblY = nullptr;      // mouse read-out: value ("0.0" initially)

  ChartView* Chart = nullptr;  // Chart1 ..
  QChart* chart() const { return chart_; }
  // Series i shows slot i: its name, pen and visibility (legend); the points
  // are the board's chart model's.
  std::array<QLineSeries*, 9> Series{};
  QDateTimeAxis* TimeAxis = nullptr;     // bottom axis, labels "hh:mm:ss"
  QValueAxis* ValueAxis = nullptr;       // left axis, titled yAxisTitle

  QGroupBox* GroupBox = nullptr;         // "Channel Visible"
  std::array<QCheckBox*, 9> Chk{};       // Chk00 .. Chk08 (board B: Chk10 ..)
  std::array<QLineEdit*, 9> EdValue{};   // EdA1 .. EdA8 (board B: EdB1 ..), 1..8
  QGroupBox* GBAlarm = nullptr;          // "Alarm Set"
  std::array<QCheckBox*, 9> ChkAl{};     // ChkAlA1 .. ChkAlA8, 1..8
  std::array<QLineEdit*, 9> EdHigh{};    // EdHighA1 .., 1..8
  std::array<QLineEdit*, 9> EdLow{};     // EdLowA1 .., 1..8

  QPushButton* BtZoomIn = nullptr;
  QPushButton* BtZoomOut = nullptr;
  QPushButton* BtA = nullptr;            // Y axis automatic
  QCheckBox* ChkScroll = nullptr;        // "Scroll", checked at start
  QCheckBox* ChkViewP = nullptr;         // "View Point", checked at start

  QLabel* PnlMTitle = nullptr;           // memo title panel (its hint tells about pausing)
  QPlainTextEdit* Memo = nullptr;        // Memo1 ..
  QPushButton* BtTxt = nullptr;
  QPushButton* BtXLS = nullptr;
  QPushButton* BtSaveBmp = nullptr;
  QPushButton* BtSaveM = nullptr;
  QPushButton* BtBrowser = nullptr;

  // The board's chart menu ("Chart1" .. in the main menu, and the chart's
  // context menu): Y-Max, Y-Min, Y-Auto, Chart Title, Y-Axis Title.
  QMenu* ChartMenu = nullptr;
  QAction* YMax = nullptr;
  QAction* YMin = nullptr;
  QAction* YAuto = nullptr;
  QAction* ChartTitle = nullptr;
  QAction* YAxisTitle = nullptr;

 private:
  void BuildChart();
  int board_;
  QChart* chart_ = nullptr;
};

}  // namespace tessar
