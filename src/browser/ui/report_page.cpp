#include "browser/ui/report_page.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

#include "i18n/captions.h"

namespace tessar {

namespace {

// Painter units: tenths of a millimetre from the page's top-left corner.
constexpr double kUnitsPerMm = 10.0;
constexpr double kMarginMm = 10.0;  // the band starts at the margins
constexpr double kFontPxPerMm = 96.0 / 25.4;

QRectF Mm(double left, double top, double width, double height) {
  return QRectF((kMarginMm + left) * kUnitsPerMm, (kMarginMm + top) * kUnitsPerMm,
                width * kUnitsPerMm, height * kUnitsPerMm);
}

QFont ReportFont(double px, bool bold = false, bool italic = false) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(static_cast<int>(px / kFontPxPerMm * kUnitsPerMm + 0.5));
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

QString Caption(const ReportContent& c, const char* name) {
  for (const CaptionEntry& e : ReportCaptionTable())
    if (e.name == QLatin1String(name)) return c.korean ? e.korean : e.english;
  return {};
}

// A text in a cell of `height` mm at (left, top) mm, `width` mm wide.
void Text(QPainter& p, double left, double top, double width, const QString& text,
          Qt::Alignment align = Qt::AlignLeft, double height = 5.0) {
  p.drawText(Mm(left, top, width, height), static_cast<int>(align | Qt::AlignVCenter), text);
}

// The same, the font made smaller when the text is wider than the cell, so
// that long numbers stay inside their cells.
void FittedText(QPainter& p, double left, double top, double width, const QString& text,
                Qt::Alignment align, double height = 5.0) {
  const QFont font = p.font();
  // blanks that pad a number to its width take no room in the cell
  const double needed = QFontMetricsF(font, p.device()).horizontalAdvance(text.trimmed());
  const double room = width * kUnitsPerMm;
  if (needed > room && font.pixelSize() > 1) {
    QFont smaller = font;
    smaller.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * room / needed)));
    p.setFont(smaller);
  }
  Text(p, left, top, width, text, align, height);
  p.setFont(font);
}

// `size` scaled to fit into `box`, its shape kept, in the middle of the box.
QRectF FittedRect(const QSizeF& size, const QRectF& box) {
  QRectF fitted(QPointF(), size.scaled(box.size(), Qt::KeepAspectRatio));
  fitted.moveCenter(box.center());
  return fitted;
}

}  // namespace

void SetUpReportPage(QPagedPaintDevice& device) {
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                   QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

void PaintReport(QPainter& p, const ReportContent& c) {
  const QRectF page = p.viewport();
  // 297 mm across the landscape page.
  const double scale = page.width() / (297.0 * kUnitsPerMm);
  p.save();
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 2.0));  // 0.2 mm lines

  p.setFont(ReportFont(24, true));
  Text(p, 14.3, 4.8 - 1.5, 190.0, c.title, Qt::AlignLeft, 9.0);

  const QRectF picture = Mm(13.2, 15.1, 195.0, 113.8);
  if (!c.picture.isNull()) p.drawImage(FittedRect(c.picture.size(), picture), c.picture);
  p.drawRect(picture);

  // Start, end and total.
  p.drawRect(Mm(209.6, 15.1, 47.9, 39.7));
  const struct {
    const char* caption;
    const QString& value;
    double captionTop, valueTop;
  } times[] = {{"QRStartL", c.start, 17.7, 23.3}, {"QREndL", c.end, 29.6, 35.5},
               {"QRTotalL", c.total, 41.5, 47.6}};
  for (const auto& t : times) {
    p.setFont(ReportFont(13, true));
    Text(p, 213.0, t.captionTop, 43.0, Caption(c, t.caption));
    p.setFont(ReportFont(13));
    Text(p, 213.0, t.valueTop, 43.0, t.value);
  }

  // Approval: the manager's heading and two rows with their cells.
  p.drawRect(Mm(209.6, 56.6, 47.9, 26.5));
  p.setFont(ReportFont(13, true));
  Text(p, 209.6, 58.5, 47.9, Caption(c, "QRManager"), Qt::AlignHCenter);
  p.drawRect(Mm(209.6, 65.4, 47.9, 9.0));
  p.drawRect(Mm(209.6, 74.1, 47.9, 9.0));
  p.drawRect(Mm(209.6, 65.4, 12.4, 9.0));
  p.drawRect(Mm(209.6, 74.1, 12.4, 9.0));
  Text(p, 209.6, 65.4, 12.4, Caption(c, "QRM"), Qt::AlignHCenter, 9.0);
  Text(p, 209.6, 74.1, 12.4, Caption(c, "QRS"), Qt::AlignHCenter, 9.0);

  // Memo, left empty for handwriting.
  p.drawRect(Mm(209.8, 85.2, 47.9, 93.9));
  Text(p, 211.0, 86.5, 40.0, Caption(c, "QRMemoL"));

  // Statistics of channels 1..8.
  p.drawRect(Mm(13.2, 131.5, 195.0, 47.6));
  static constexpr double kColumns[8] = {39.7, 60.3, 81.0, 101.6, 122.5, 143.1, 163.8, 184.4};
  static constexpr double kRows[5] = {136.3, 144.7, 153.2, 161.7, 170.1};
  static constexpr const char* kRowCaptions[4] = {"QRMinL", "QRMaxL", "QRAvgL", "QRStdL"};
  for (int r = 1; r < 5; ++r) Text(p, 14.5, kRows[r], 23.0, Caption(c, kRowCaptions[r - 1]), Qt::AlignRight);
  for (int col = 0; col < 8; ++col) FittedText(p, kColumns[col], kRows[0], 17.5, c.table[0][col], Qt::AlignHCenter);
  p.setFont(ReportFont(13));
  for (int r = 1; r < 5; ++r)
    for (int col = 0; col < 8; ++col) FittedText(p, kColumns[col], kRows[r], 17.5, c.table[r][col], Qt::AlignRight);

  p.setFont(ReportFont(13, false, true));
  Text(p, 225.7, 180.7, 50.0, c.printTime);
  p.restore();
}

bool WriteReportPdf(const ReportContent& content, const QString& path) {
  QPdfWriter writer(path);
  writer.setResolution(300);
  SetUpReportPage(writer);
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  PaintReport(painter, content);
  return painter.end();
}

ReportForm::ReportForm(const ReportContent& content, QObject* parent)
    : QObject(parent), content_(content) {
  setObjectName(QStringLiteral("FormQ"));
}

void ReportForm::Paint(QPrinter* printer) const {
  SetUpReportPage(*printer);
  QPainter painter(printer);
  PaintReport(painter, content_);
}

void ReportForm::ShowPreview(QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpReportPage(printer);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setWindowFlag(Qt::WindowStaysOnTopHint);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, &ReportForm::Paint);
  preview.exec();
}

}  // namespace tessar
