#include "browser/ui/browser_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "acquisition/axis_scale.h"
#include "acquisition/program_state.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/chart_view.h"
#include "browser/ui/browser_output.h"
#include "browser/ui/named.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "common/ui/qt_dialogs.h"
#include "common/ui/radio_group.h"
#include "device/frame_state.h"
#include "i18n/captions.h"
#include "i18n/ui/caption_setter.h"

namespace tessar {

namespace {

// AcquisitionHold for the duration of a browser operation, released at its
// end however it ends; an operation inside another (the markers reset by a
// load) leaves the outer one's hold in place.
using HoldWhileWorking = ScopedAcquisitionHold;

// The colours, widths and marker shapes are those of the live charts; the
// browser's own are the line styles and the marker sizes (px).
struct BrowserLine {
  Qt::PenStyle style;
  qreal markerSize;
};
constexpr BrowserLine kLines[kBrowserSeriesCount] = {
    {Qt::SolidLine, 7},   {Qt::SolidLine, 5},      {Qt::DashLine, 7},
    {Qt::DotLine, 7},     {Qt::DashDotLine, 5},    {Qt::DashDotDotLine, 7},
    {Qt::DotLine, 7},     {Qt::DotLine, 7},        {Qt::DotLine, 7},
};

struct AxisTitle {
  const char* english;
  const char* korean;
};
constexpr AxisTitle kAxisTitles[3] = {
    {"Record Time(hh:mm:ss)", "기록시각(hh:mm:ss)"},
    {"Time(hh:mm:ss)", "경과시간(hh:mm:ss)"},
    {" Time (sec)", "경과시간(초)"},
};

// The elapsed axis shows a span as a time of day after this midnight.
const double kElapsedBase = EncodeDateTime({2000, 1, 1});

QString Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return QString::fromLatin1(text);
}

}  // namespace

// The program's own dialogs open over the window that raises them: the
// browser stays on top, and a dialog owned by the main window would open
// under it, modal, leaving the browser deaf to every click.
Dialogs& BrowserWindow::OwnDialogs(Dialogs& given) {
  if (dynamic_cast<QtDialogs*>(&given) == nullptr) return given;  // a test's
  ownDialogs_ = std::make_unique<QtDialogs>(this);
  return *ownDialogs_;
}

BrowserWindow::BrowserWindow(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(OwnDialogs(dialogs)) {
  setObjectName(QStringLiteral("FormB"));
  setWindowTitle(QStringLiteral("Browser"));
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(1024, 736);
  showReport = [this](ReportForm& form) { form.ShowPreview(this); };
  output_ = std::make_unique<BrowserOutput>(*this, state_, dialogs_);
  BuildControls();
  FormCreate();
}

BrowserWindow::~BrowserWindow() {
  AcquisitionHold = false;
  // the chart owns the x axis it shows; the other one is ours
  for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(timeAxis_),
                              static_cast<QAbstractAxis*>(secondsAxis_)}) {
    if (!chart_->axes().contains(axis)) delete axis;
  }
}

void BrowserWindow::Open(ProgramState& state, Dialogs& dialogs, QWidget* owner) {
  auto* browser = new BrowserWindow(state, dialogs, owner);
  browser->setAttribute(Qt::WA_DeleteOnClose);
  browser->exec();
}

QString BrowserWindow::Text(Msg id) const { return MessageText(id, state_.KoreanUi); }

void BrowserWindow::BuildControls() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 0);
  auto* body = new QHBoxLayout;
  root->addLayout(body, 1);

  // Left: titles, chart, controls under it.
  auto* left = new QVBoxLayout;
  body->addLayout(left, 1);
  auto* top = new QHBoxLayout;
  LblName = Named(new QLabel(QStringLiteral("Data Chart")), QStringLiteral("LblName"));
  QFont big = LblName->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  LblName->setFont(big);
  LblStart = Named(new QLabel(QStringLiteral("Start Time")), QStringLiteral("LblStart"));
  top->addWidget(LblName, 1);
  top->addWidget(LblStart);
  left->addLayout(top);

  chart_ = new QChart;
  chart_->setBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundVisible(true);
  QFont titleFont = chart_->titleFont();
  titleFont.setBold(true);
  chart_->setTitleFont(titleFont);
  chart_->setTitleBrush(QBrush(Qt::blue));
  chart_->setTitle(QStringLiteral("Data Chart"));
  chart_->legend()->setAlignment(Qt::AlignRight);
  timeAxis_ = new QDateTimeAxis;
  timeAxis_->setFormat(QStringLiteral("hh:mm:ss"));
  timeAxis_->setTitleText(QStringLiteral("Time"));
  secondsAxis_ = new QValueAxis;
  secondsAxis_->setLabelFormat(QStringLiteral("%.0f"));
  AxisY = new QValueAxis;
  AxisY->setTitleText(QStringLiteral("y"));
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  chart_->addAxis(AxisY, Qt::AlignLeft);
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    auto* s = new QLineSeries;
    s->setName(data_.titles[i]);
    const SeriesLook& look = SeriesLooks()[static_cast<std::size_t>(i)];
    s->setPen(QPen(QColor::fromRgb(look.colour), look.width, kLines[i].style));
    s->setMarkerSize(kLines[i].markerSize);
    chart_->addSeries(s);
    s->attachAxis(timeAxis_);
    s->attachAxis(AxisY);
    Series[i] = s;
  }
  ColourLegendMarkers(*chart_);
  ChartD = Named(new QChartView(chart_), QStringLiteral("ChartD"));
  ChartD->setRenderHint(QPainter::Antialiasing);
  ChartD->setCursor(Qt::CrossCursor);
  ChartD->setMouseTracking(true);
  ChartD->viewport()->setMouseTracking(true);
  ChartD->viewport()->installEventFilter(this);
  left->addWidget(ChartD, 1);

  Memo1 = Named(new QPlainTextEdit(ChartD), QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setGeometry(60, 60, 420, 240);
  Memo1->viewport()->installEventFilter(this);
  Memo1->hide();

  auto* under = new QHBoxLayout;
  GroupBox1 = Named(new QGroupBox(QStringLiteral("Channel Visible")), QStringLiteral("GroupBox1"));
  auto* boxes = new QGridLayout(GroupBox1);
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    CheckBox[i] = Named(new QCheckBox(QStringLiteral("CH%1").arg(i)), QStringLiteral("CheckBox%1").arg(i));
    CheckBox[i]->setChecked(true);
    CheckBox[i]->setProperty("Tag", i);
    boxes->addWidget(CheckBox[i], 0, i);
    connect(CheckBox[i], &QCheckBox::clicked, this, [this, i] { CheckBox0Click(i); });
  }
  ChkViewP1 = Named(new QCheckBox(QStringLiteral("View Point")), QStringLiteral("ChkViewP1"));
  boxes->addWidget(ChkViewP1, 0, kBrowserSeriesCount);
  left->addWidget(GroupBox1);
  left->addLayout(under);

  auto* readout = new QGridLayout;
  LblSN = Named(new QLabel(QStringLiteral("Serial Number : ")), QStringLiteral("LblSN"));
  LblSer = Named(new QLabel, QStringLiteral("LblSer"));
  LblX = Named(new QLabel(QStringLiteral("X")), QStringLiteral("LblX"));
  LblY = Named(new QLabel(QStringLiteral("Y")), QStringLiteral("LblY"));
  readout->addWidget(LblSN, 0, 0);
  readout->addWidget(LblSer, 0, 1);
  readout->addWidget(LblX, 1, 0, 1, 2);
  readout->addWidget(LblY, 2, 0, 1, 2);
  under->addLayout(readout);

  auto* zoom = new QGridLayout;
  BtZoomIn = Named(new QPushButton(QStringLiteral("Zoom In")), QStringLiteral("BtZoomIn"));
  BtZoomOut = Named(new QPushButton(QStringLiteral("Zoom Out")), QStringLiteral("BtZoomOut"));
  BtAuto = Named(new QPushButton(QStringLiteral("Auto")), QStringLiteral("BtAuto"));
  BtSmth = Named(new QPushButton(QStringLiteral("Smoothing")), QStringLiteral("BtSmth"));
  zoom->addWidget(BtZoomIn, 0, 0);
  zoom->addWidget(BtZoomOut, 0, 1);
  zoom->addWidget(BtAuto, 1, 0);
  zoom->addWidget(BtSmth, 1, 1);
  under->addLayout(zoom);

  GBSample = Named(new QGroupBox(QStringLiteral("Subsampling")), QStringLiteral("GBSample"));
  auto* sample = new QHBoxLayout(GBSample);
  UpDown1 = Named(new QSpinBox, QStringLiteral("UpDown1"));
  UpDown1->setRange(1, 100);
  UpDown1->setValue(1);
  sample->addWidget(UpDown1);
  under->addWidget(GBSample);

  RGX = Named(new RadioGroup(QStringLiteral("X Axis"),
                             {QStringLiteral("Record Time (hh:mm:ss)"), QStringLiteral("Elapse Time (hh:mm:ss)"),
                              QStringLiteral("Elapse Time (sec)")},
                             1),
              QStringLiteral("RGX"));
  for (int i = 0; i < RGX->count(); ++i) RGX->button(i)->setObjectName(QStringLiteral("RGX%1").arg(i));
  RGX->setItemIndex(0);
  under->addWidget(RGX);

  // Right: range and file selection, export buttons.
  auto* right = new QVBoxLayout;
  body->addLayout(right);
  files_ = new FilePanel;
  right->addWidget(files_, 1);
  GBDate = files_->GBDate;
  CBSel = files_->CBSel;
  DateTimePicker1 = files_->DateTimePicker1;
  UDStart = files_->UDStart;
  DateTimePicker2 = files_->DateTimePicker2;
  UDEnd = files_->UDEnd;
  BtnDraw = files_->BtnDraw;
  DriveComboBox1 = files_->DriveComboBox1;
  DirectoryListBox1 = files_->DirectoryListBox1;
  FileListBox1 = files_->FileListBox1;
  FilterComboBox1 = files_->FilterComboBox1;

  auto* exports = new QGridLayout;
  BtTXT = Named(new QPushButton(QStringLiteral("Save as TXT")), QStringLiteral("BtTXT"));
  BtXLS = Named(new QPushButton(QStringLiteral("Save as XLS")), QStringLiteral("BtXLS"));
  BtClipboard = Named(new QPushButton(QStringLiteral("Clipboard")), QStringLiteral("BtClipboard"));
  BtPrint = Named(new QPushButton(QStringLiteral("Print Chart")), QStringLiteral("BtPrint"));
  BtClose = Named(new QPushButton(QStringLiteral("Close")), QStringLiteral("BtClose"));
  exports->addWidget(BtTXT, 0, 0);
  exports->addWidget(BtXLS, 0, 1);
  exports->addWidget(BtClipboard, 1, 0);
  exports->addWidget(BtPrint, 1, 1);
  exports->addWidget(BtClose, 2, 0, 1, 2);
  right->addLayout(exports);

  SBar = Named(new QStatusBar, QStringLiteral("SBar"));
  SBar->setSizeGripEnabled(false);
  root->addWidget(SBar);

  PM2 = Named(new QMenu(this), QStringLiteral("PM2"));
  Copy1 = Named(PM2->addAction(QStringLiteral("Copy to Clipboard")), QStringLiteral("Copy1"));
  ModifyTitles1 = Named(PM2->addAction(QStringLiteral("Modify Titles")), QStringLiteral("ModifyTitles1"));
  GetAverage1 = Named(PM2->addAction(QStringLiteral("Get Average")), QStringLiteral("GetAverage1"));

  connect(files_, &FilePanel::DrawClicked, this, &BrowserWindow::BtnDrawClick);
  connect(files_, &FilePanel::FilesDoubleClicked, this, &BrowserWindow::FileListBox1DblClick);
  connect(RGX, &RadioGroup::itemClicked, this, &BrowserWindow::FileListBox1DblClick);
  connect(BtZoomIn, &QPushButton::clicked, this, &BrowserWindow::BtZoomInClick);
  connect(BtZoomOut, &QPushButton::clicked, this, &BrowserWindow::BtZoomOutClick);
  connect(BtAuto, &QPushButton::clicked, this, &BrowserWindow::BtAutoClick);
  connect(BtSmth, &QPushButton::clicked, this, &BrowserWindow::BtSmthClick);
  connect(ChkViewP1, &QCheckBox::clicked, this, &BrowserWindow::ChkViewP1Click);
  connect(UpDown1, &QSpinBox::valueChanged, this, &BrowserWindow::UpDown1Click);
  connect(BtTXT, &QPushButton::clicked, this, &BrowserWindow::BtTXTClick);
  connect(BtXLS, &QPushButton::clicked, this, &BrowserWindow::BtXLSClick);
  connect(BtClipboard, &QPushButton::clicked, this, &BrowserWindow::BtClipboardClick);
  connect(BtPrint, &QPushButton::clicked, this, &BrowserWindow::BtPrintClick);
  connect(BtClose, &QPushButton::clicked, this, &QDialog::close);
  connect(Copy1, &QAction::triggered, this, &BrowserWindow::BtClipboardClick);
  connect(ModifyTitles1, &QAction::triggered, this, &BrowserWindow::ModifyTitles1Click);
  connect(GetAverage1, &QAction::triggered, this, &BrowserWindow::GetAverage1Click);
}

void BrowserWindow::FormCreate() {
  if (state_.KoreanUi) ApplyKoreanCaptions(this, BrowserCaptionTable());
  files_->Start(state_.CurrentDataDirectory, DecodeDateTime(Now()));
  timeAxis_->setTitleText(QString::fromUtf8(state_.KoreanUi ? "기록시각(시:분:초)" : kAxisTitles[0].english));
  move(0, 0);
}

QString BrowserWindow::FileListDirectory() const { return files_->Directory(); }
void BrowserWindow::SetFileListDirectory(const QString& directory) { files_->SetDirectory(directory); }
void BrowserWindow::FilterComboBox1Change() { files_->FilterComboBox1Change(); }

void BrowserWindow::SetBrowserButtonsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{BtZoomIn, BtZoomOut, BtAuto, BtSmth, UpDown1, RGX,
                                                    BtXLS, BtTXT, BtnDraw, BtClipboard, BtPrint})
    w->setEnabled(enabled);
}

AxisMode BrowserWindow::mode() const { return static_cast<AxisMode>(std::max(0, RGX->itemIndex())); }

void BrowserWindow::BtnDrawClick() {
  if (loading_) return;
  Memo1->hide();
  SetBrowserButtonsEnabled(false);
  HoldWhileWorking hold;
  const std::vector<std::filesystem::path> files = files_->RangeFiles(state_.CurrentDataDirectory);
  SetStatus(Text(Msg::BrowserLoadingRange));
  LoadRecordFiles(files);
  SetBrowserButtonsEnabled(true);
}

void BrowserWindow::FileListBox1DblClick() {
  if (loading_) return;
  SetBrowserButtonsEnabled(false);
  HoldWhileWorking hold;
  SetStatus(Text(Msg::BrowserLoadingSelection));
  data_.Clear();
  FillSeries();
  LoadRecordFiles(files_->SelectedFiles());
  SetBrowserButtonsEnabled(true);
}

void BrowserWindow::LoadRecordFiles(const std::vector<std::filesystem::path>& files) {
  if (files.empty()) {
    SetStatus(Text(Msg::BrowserNoData));
    return;
  }
  data_.Clear();
  active_.fill(false);
  ChkViewP1->setChecked(false);
  ChkViewP1Click();
  FillSeries();

  LoadRequest request;
  request.files = files;
  request.mode = mode();
  request.subsampling = UpDown1->value();
  request.pump = [] { QCoreApplication::processEvents(); };
  loading_ = true;
  LoadResult result = tessar::LoadRecordFiles(request);
  loading_ = false;
  if (result.status == LoadStatus::OpenFailed || result.status == LoadStatus::Unsupported) {
    SetStatus(LoadStatusText(result, request.mode, state_.KoreanUi));
    return;
  }

  data_ = std::move(result.data);
  loadedMode_ = request.mode;
  loadStart_ = result.header.startTime;
  const bool nine = data_.channelCount == 9;
  CheckBox[7]->setEnabled(nine);
  CheckBox[8]->setEnabled(nine);
  const RecordHeaderInfo& h = result.header;
  LblName->setText(h.titles[0]);
  chart_->setTitle(h.titles[1]);
  AxisY->setTitleText(h.titles[3]);
  LblSer->setText(h.serialNumber);
  LblStart->setText(QString::fromStdString(FormatDateTime(h.startTime)));
  SetUpXAxis();  // the third caption gives way to the axis mode's title at once
  for (int i = 0; i < kBrowserSeriesCount; ++i)
    active_[i] = i < data_.channelCount && CheckBox[i]->isChecked();
  FillSeries();
  AutoRanges();
  Zoom(95);
  const QString status = LoadStatusText(result, request.mode, state_.KoreanUi);
  if (!status.isEmpty()) SetStatus(status);
}

void BrowserWindow::SetUpXAxis() {
  QAbstractAxis* wanted = loadedMode_ == AxisMode::ElapsedSeconds ? static_cast<QAbstractAxis*>(secondsAxis_)
                                                                  : static_cast<QAbstractAxis*>(timeAxis_);
  if (!chart_->axes(Qt::Horizontal).contains(wanted)) {
    QAbstractAxis* other = wanted == timeAxis_ ? static_cast<QAbstractAxis*>(secondsAxis_)
                                               : static_cast<QAbstractAxis*>(timeAxis_);
    chart_->removeAxis(other);
    chart_->addAxis(wanted, Qt::AlignBottom);
    for (QLineSeries* s : Series) s->attachAxis(wanted);
  }
  const AxisTitle& title = kAxisTitles[static_cast<int>(loadedMode_)];
  wanted->setTitleText(QString::fromUtf8(state_.KoreanUi ? title.korean : title.english));
}

double BrowserWindow::ToAxis(double x) const {
  switch (loadedMode_) {
    case AxisMode::RecordTime:
      return static_cast<double>(FromDayCount(x).toMSecsSinceEpoch());
    case AxisMode::ElapsedTime:
      return static_cast<double>(FromDayCount(kElapsedBase).toMSecsSinceEpoch()) + x * 86400000.0;
    case AxisMode::ElapsedSeconds:
      break;
  }
  return x;
}

double BrowserWindow::FromAxis(double v) const {
  switch (loadedMode_) {
    case AxisMode::RecordTime:
      return ToDayCount(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(v)));
    case AxisMode::ElapsedTime:
      return (v - static_cast<double>(FromDayCount(kElapsedBase).toMSecsSinceEpoch())) / 86400000.0;
    case AxisMode::ElapsedSeconds:
      break;
  }
  return v;
}

void BrowserWindow::FillSeries() {
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    QList<QPointF> points;
    const std::vector<double>& y = data_.y[i];
    points.reserve(static_cast<qsizetype>(y.size()));
    for (std::size_t j = 0; j < y.size() && j < data_.x.size(); ++j) points.append({ToAxis(data_.x[j]), y[j]});
    Series[i]->replace(points);
    Series[i]->setName(data_.titles[i]);
    Series[i]->setVisible(active_[i]);
  }
}

void BrowserWindow::AutoRanges() {
  xRange_ = DataRange(data_.x);
  bool any = false;
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    if (!active_[i] || data_.y[i].empty()) continue;
    const AxisRange r = DataRange(data_.y[i]);
    yRange_ = any ? AxisRange{std::min(yRange_.min, r.min), std::max(yRange_.max, r.max)} : r;
    any = true;
  }
  // The values on round ticks, a little inside the ends (a flat line with
  // one unit either side).
  if (any) {
    const AxisScale y = AutomaticScale(yRange_.min, yRange_.max);
    yRange_ = {y.min, y.max};
  } else {
    yRange_ = {0, 1};
  }
  // A single point (or a flat line) still gets an axis that can be read.
  if (xRange_.max <= xRange_.min) {
    const double pad = loadedMode_ == AxisMode::ElapsedSeconds ? 1.0 : 1.0 / 86400.0;
    xRange_ = {xRange_.min - pad, xRange_.max + pad};
  }
  ApplyRanges();
}

void BrowserWindow::ApplyRanges() {
  if (loadedMode_ == AxisMode::ElapsedSeconds) {
    secondsAxis_->setRange(xRange_.min, xRange_.max);
  } else {
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ToAxis(xRange_.min))),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ToAxis(xRange_.max))));
  }
  ShowValueRange(AxisY, yRange_.min, yRange_.max);  // labelled on the round ticks inside
}

void BrowserWindow::Zoom(double percent) {
  xRange_ = Zoomed(xRange_, percent);
  yRange_ = Zoomed(yRange_, percent);
  ApplyRanges();
}

void BrowserWindow::ChangeRanges(const std::function<void()>& change) {
  SBar->clearMessage();
  SetBrowserButtonsEnabled(false);
  HoldWhileWorking hold;
  change();
  SetBrowserButtonsEnabled(true);
}

void BrowserWindow::BtZoomInClick() {
  ChangeRanges([this] { Zoom(110); });
}

void BrowserWindow::BtZoomOutClick() {
  ChangeRanges([this] { Zoom(90); });
}

void BrowserWindow::BtAutoClick() {
  ChangeRanges([this] { AutoRanges(); });
}

void BrowserWindow::CheckBox0Click(int channel) {
  HoldWhileWorking hold;
  active_[channel] = CheckBox[channel]->isChecked() && channel < data_.channelCount;
  Series[channel]->setVisible(active_[channel]);
}

void BrowserWindow::ChkViewP1Click() {
  HoldWhileWorking hold;
  // each series' own marker shape, drawn from an image at every point
  const bool visible = ChkViewP1->isChecked();
  const qreal ratio = ChartD->devicePixelRatioF();
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    const SeriesLook& look = SeriesLooks()[static_cast<std::size_t>(i)];
    Series[i]->setLightMarker(visible ? MarkerImage(look.marker, QColor::fromRgb(look.colour),
                                                    Series[i]->markerSize(), ratio)
                                      : QImage());
  }
}

void BrowserWindow::UpDown1Click() {
  if (loading_) return;
  HoldWhileWorking hold;
  data_.Clear();
  FillSeries();
}

void BrowserWindow::BtSmthClick() {
  HoldWhileWorking hold;
  for (int i = 0; i < kBrowserSeriesCount; ++i)
    if (active_[i]) Smooth(data_.y[i]);
  FillSeries();
}

void BrowserWindow::GetAverage1Click() {
  if (loading_ || data_.PointCount(0) == 0) return;
  HoldWhileWorking hold;
  Memo1->setPlainText(StatisticsMemoLines(data_, state_.KoreanUi).join(QLatin1Char('\n')));
  Memo1->show();
  Memo1->raise();
}

void BrowserWindow::Memo1DblClick() {
  Memo1->clear();
  Memo1->hide();
}

void BrowserWindow::ChartDMouseMove(const QPointF& position) {
  if (data_.PointCount(0) == 0) return;
  const QPointF scene = ChartD->mapToScene(position.toPoint());
  const QPointF local = chart_->mapFromScene(scene);
  if (!chart_->plotArea().contains(local)) return;
  const QPointF value = chart_->mapToValue(local, Series[0]);
  LblX->setText(QString::fromStdString(TrimmedAxisValue(loadedMode_, FromAxis(value.x()))));
  LblY->setText(Printf("%.3f", value.y()));
}

bool BrowserWindow::ChartDMouseDown(const QPointF& position) {
  const QPointF local = chart_->mapFromScene(ChartD->mapToScene(position.toPoint()));
  return !chart_->plotArea().contains(local);
}

bool BrowserWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ChartD->viewport()) {
    switch (event->type()) {
      case QEvent::MouseMove:
        ChartDMouseMove(static_cast<QMouseEvent*>(event)->position());
        break;
      case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
          // Outside the plotting area the right button opens the menu.
          if (!loading_ && ChartDMouseDown(mouse->position())) PM2->popup(mouse->globalPosition().toPoint());
          return true;
        }
        break;
      }
      case QEvent::MouseButtonDblClick:
        GetAverage1Click();
        return true;
      default:
        break;
    }
  } else if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    Memo1DblClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void BrowserWindow::BtXLSClick() { output_->SaveXls(); }
void BrowserWindow::BtTXTClick() { output_->SaveText(); }
void BrowserWindow::BtClipboardClick() { output_->CopyPicture(); }
void BrowserWindow::BtPrintClick() { output_->Print(); }
void BrowserWindow::ModifyTitles1Click() { output_->ModifyTitles(); }
QImage BrowserWindow::ChartPicture() const { return output_->ChartPicture(); }

void BrowserWindow::keyPressEvent(QKeyEvent* event) {
  // Esc would reject the dialog and throw the loaded chart away: only the
  // Close button closes the browser.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void BrowserWindow::closeEvent(QCloseEvent* event) {
  // A load pumps events; the window stays until it has finished.
  if (loading_) {
    event->ignore();
    return;
  }
  AcquisitionHold = false;
  QDialog::closeEvent(event);
}

void BrowserWindow::done(int result) {
  if (loading_) return;
  AcquisitionHold = false;
  QDialog::done(result);
}

}  // namespace tessar
