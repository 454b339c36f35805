#include "acquisition/ui/chart_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPen>
#include <QVBoxLayout>

#include "common/ui/control_tag.h"
#include "common/ui/guarded.h"

namespace tessar {

ChartPage::ChartPage(int board, QWidget* parent) : QWidget(parent), board_(board) {
  const QString n = QString::number(board + 1);
  const QString letter = BoardLetter(board);
  auto name = [board](const char* prefix) { return BoardControlName(prefix, board); };
  auto channelName = [board](const char* prefix, int k) {
    return ChannelControlName(prefix, board, k);
  };

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(6, 4, 6, 4);
  page->setSpacing(4);

  // title line
  auto* top = new QHBoxLayout;
  LblTitle = Named(new QLabel(this), name("LblTitle"), board);
  QFont titleFont = LblTitle->font();
  titleFont.setPointSize(titleFont.pointSize() + 3);
  titleFont.setBold(true);
  LblTitle->setFont(titleFont);
  Shape = Named(new QFrame(this), name("Shape"), 0);
  Shape->setFixedSize(14, 14);
  Shape->setStyleSheet(
      QStringLiteral("background: white; border: 1px solid gray; border-radius: 7px;"));
  LblStart = Named(new QLabel(this), name("LblStart"), board);
  LblTime = Named(new QLabel(QStringLiteral("hh:mm:ss"), this), name("LblTime"), board);
  LblY = Named(new QLabel(QStringLiteral("0.0"), this), name("LblY"), board);
  LblTime->setMinimumWidth(150);
  LblY->setMinimumWidth(70);
  top->addWidget(LblTitle, 1);
  top->addWidget(Shape);
  top->addWidget(LblStart);
  top->addSpacing(16);
  top->addWidget(LblTime);
  top->addWidget(LblY);
  page->addLayout(top);

  // chart with the values and alarm limits at its right
  auto* middle = new QHBoxLayout;
  BuildChart();
  middle->addWidget(Chart, 1);

  GBAlarm = Named(new QGroupBox(QStringLiteral("Alarm Set"), this), name("GBAlarm"), board);
  {
    auto* grid = new QGridLayout(GBAlarm);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(4);
    const char* headers[] = {"", "Value", "High", "Low"};
    for (int c = 1; c < 4; ++c) {
      auto* header = new QLabel(QString::fromLatin1(headers[c]), GBAlarm);
      header->setAlignment(Qt::AlignCenter);
      grid->addWidget(header, 0, c);
    }
    for (int k = 1; k <= 8; ++k) {
      const int tag = 10 * board + k;
      ChkAl[k] = Named(new QCheckBox(QStringLiteral("CH%1").arg(k), GBAlarm), channelName("ChkAl", k),
                       tag);
      EdValue[k] = Named(new QLineEdit(GBAlarm), QStringLiteral("Ed%1%2").arg(letter).arg(k), tag);
      EdValue[k]->setReadOnly(true);
      EdValue[k]->setFocusPolicy(Qt::NoFocus);
      EdValue[k]->setFixedWidth(78);
      EdValue[k]->setAlignment(Qt::AlignRight);
      EdValue[k]->setStyleSheet(
          QStringLiteral("background: %1;").arg(QColor(kValueBoxColor).name()));
      EdHigh[k] = Named(new QLineEdit(GBAlarm), channelName("EdHigh", k), tag);
      EdLow[k] = Named(new QLineEdit(GBAlarm), channelName("EdLow", k), tag);
      for (QLineEdit* e : {EdHigh[k], EdLow[k]}) {
        e->setFixedWidth(64);
        e->setAlignment(Qt::AlignRight);
      }
      grid->addWidget(ChkAl[k], k, 0);
      grid->addWidget(EdValue[k], k, 1);
      grid->addWidget(EdHigh[k], k, 2);
      grid->addWidget(EdLow[k], k, 3);
    }
    grid->setRowStretch(9, 1);
  }
  middle->addWidget(GBAlarm);
  page->addLayout(middle, 1);

  // channel boxes and chart buttons
  auto* controls = new QHBoxLayout;
  GroupBox = Named(new QGroupBox(QStringLiteral("Channel Visible"), this), name("GroupBox"), board);
  {
    auto* row = new QHBoxLayout(GroupBox);
    row->setContentsMargins(6, 2, 6, 2);
    for (int i = 0; i <= 8; ++i) {
      Chk[i] = Named(new QCheckBox(QStringLiteral("CH%1").arg(i), GroupBox),
                     QStringLiteral("Chk%1%2").arg(board).arg(i), 10 * board + i);
      Chk[i]->setChecked(true);
      row->addWidget(Chk[i]);
    }
  }
  controls->addWidget(GroupBox);
  BtZoomIn = Named(new QPushButton(QStringLiteral("Zoom +"), this), name("BtZoomIn"), board);
  BtZoomOut = Named(new QPushButton(QStringLiteral("Zoom -"), this), name("BtZoomOut"), board);
  BtA = Named(new QPushButton(QStringLiteral("A"), this), name("BtA"), board);
  BtA->setFixedWidth(32);
  ChkScroll = Named(new QCheckBox(QStringLiteral("Scroll"), this), name("ChkScroll"), board);
  ChkViewP = Named(new QCheckBox(QStringLiteral("View Point"), this), name("ChkViewP"), board);
  ChkScroll->setChecked(true);
  ChkViewP->setChecked(true);
  controls->addWidget(BtZoomIn);
  controls->addWidget(BtZoomOut);
  controls->addWidget(BtA);
  controls->addWidget(ChkScroll);
  controls->addWidget(ChkViewP);
  controls->addStretch(1);
  page->addLayout(controls);

  // memo with the export buttons
  auto* bottom = new QHBoxLayout;
  auto* memoColumn = new QVBoxLayout;
  memoColumn->setSpacing(0);
  PnlMTitle = Named(new QLabel(QStringLiteral("Memo"), this), name("PnlMTitle"), board);
  PnlMTitle->setToolTip(QStringLiteral("Double click the memo to pause scrolling"));
  PnlMTitle->setFrameShape(QFrame::Panel);
  PnlMTitle->setFrameShadow(QFrame::Raised);
  PnlMTitle->setAlignment(Qt::AlignCenter);
  Memo = Named(new QPlainTextEdit(this), name("Memo"), board);
  Memo->setReadOnly(true);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setFixedHeight(140);
  QFont memoFont(QStringLiteral("Monospace"));
  memoFont.setStyleHint(QFont::TypeWriter);
  Memo->setFont(memoFont);
  memoColumn->addWidget(PnlMTitle);
  memoColumn->addWidget(Memo);
  bottom->addLayout(memoColumn, 1);
  auto* exports = new QGridLayout;
  BtTxt = Named(new QPushButton(QStringLiteral("Save To TXT"), this), name("BtTxt"), board);
  BtXLS = Named(new QPushButton(QStringLiteral("Save To XLS"), this), name("BtXLS"), board);
  BtSaveBmp = Named(new QPushButton(QStringLiteral("Save To BMP"), this), name("BtSaveBmp"), board);
  BtSaveM = Named(new QPushButton(QStringLiteral("Save Memo"), this), name("BtSaveM"), board);
  BtBrowser = Named(new QPushButton(QStringLiteral("Browser / Print"), this), name("BtBrowser"),
                    board);
  exports->addWidget(BtTxt, 0, 0);
  exports->addWidget(BtXLS, 0, 1);
  exports->addWidget(BtSaveBmp, 1, 0);
  exports->addWidget(BtSaveM, 1, 1);
  exports->addWidget(BtBrowser, 2, 0, 1, 2);
  for (QPushButton* b : {BtTxt, BtXLS, BtSaveBmp, BtSaveM, BtBrowser}) b->setMinimumWidth(120);
  exports->setRowStretch(3, 1);
  bottom->addLayout(exports);
  page->addLayout(bottom);

  // the chart menu
  ChartMenu = Named(new QMenu(QStringLiteral("Chart%1").arg(n), this), name("MMChart"), board);
  auto action = [&](const char* caption, const char* prefix) {
    QAction* a = ChartMenu->addAction(QString::fromLatin1(caption));
    a->setObjectName(name(prefix));
    SetTag(a, board);
    return a;
  };
  YMax = action("Y-Max", "YMax");
  YMin = action("Y-Min", "YMin");
  YAuto = action("Y-Auto", "YAuto");
  ChartTitle = action("Chart Title", "ChartTitle");
  YAxisTitle = action("Y-Axis Title", "YAxisTitle");
  Chart->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Chart, &QWidget::customContextMenuRequested, this, Guarded(Chart, [this](const QPoint& at) {
            ChartMenu->popup(Chart->mapToGlobal(at));
          }));
}

void ChartPage::BuildChart() {
  chart_ = new QChart;
  chart_->setTitle(QStringLiteral("Data Chart"));
  chart_->setBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundVisible(false);
  chart_->legend()->setVisible(true);
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->setMargins(QMargins(2, 2, 2, 2));

  TimeAxis = new QDateTimeAxis(chart_);
  TimeAxis->setFormat(QStringLiteral("hh:mm:ss"));
  TimeAxis->setTitleText(QStringLiteral("Record Time"));
  TimeAxis->setTickCount(6);
  ValueAxis = new QValueAxis(chart_);
  ValueAxis->setTitleText(QStringLiteral("Temperature (C)"));
  chart_->addAxis(TimeAxis, Qt::AlignBottom);
  chart_->addAxis(ValueAxis, Qt::AlignLeft);

  for (int i = 0; i < 9; ++i) {
    auto* series = new QLineSeries(chart_);
    series->setName(QStringLiteral("CH%1").arg(i));
    QPen pen(QColor(SeriesLooks()[i].colour));
    pen.setWidth(SeriesLooks()[i].width);
    series->setPen(pen);
    chart_->addSeries(series);
    series->attachAxis(TimeAxis);
    series->attachAxis(ValueAxis);
    Series[i] = series;
  }
  ColourLegendMarkers(*chart_);

  Chart = new ChartView(chart_, Series, this);
  Chart->setObjectName(QStringLiteral("Chart%1").arg(board_ + 1));
  SetTag(Chart, board_);
  Chart->setRenderHint(QPainter::Antialiasing);
  Chart->setCursor(Qt::CrossCursor);
}

void ChartPage::SetMemoTextColor(const QColor& colour) {
  QPalette palette = Memo->palette();
  palette.setColor(QPalette::Text, colour);
  Memo->setPalette(palette);
}

void ChartPage::SetChartBackground(const QColor& colour) {
  if (chart_->backgroundBrush().color() != colour) chart_->setBackgroundBrush(colour);
}

}  // namespace tessar
