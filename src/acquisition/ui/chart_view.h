// The drawing of a live chart. Qt Charts lays out the frame (title, axes
// with their labels, legend, background); the nine series themselves are
// drawn here with QPainter straight from the board's chart model, reduced to
// what the plot can show:
//
//  - a series with more points than the plot has pixel columns is drawn per
//    column as the vertical extent of its points there (joined to the
//    column before), so 3600 points cost as much as the plot is wide;
//  - fewer points are drawn as an antialiased line through every point;
//  - markers only where neighbouring markers can be told apart (all of them
//    once the points are far enough apart), from one prepared image per
//    series.
//
// The QLineSeries of the chart hold no points: they carry each series' name,
// pen and visibility for the legend. A page that is not shown draws nothing,
// and a new point only asks for a repaint.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <array>

#include "acquisition/chart_model.h"

namespace tessar {

enum class MarkerShape { Diamond, Rectangle, Circle, Triangle, Star, DownTriangle };

struct SeriesLook {
  QRgb colour;
  int width;
  MarkerShape marker;
};
// The look of slot 0..8 on every chart.
const std::array<SeriesLook, kChartSlots>& SeriesLooks();

// A point marker: `shape` filled with `colour` and outlined a little darker,
// `size` px square, drawn for the device pixel ratio `ratio`.
QImage MarkerImage(MarkerShape shape, const QColor& colour, double size, qreal ratio = 1.0);

// The legend's marker squares outlined in their series' colour too (Qt
// outlines them in black, which makes the small squares look dark).
void ColourLegendMarkers(QChart& chart);

class ChartView : public QChartView {
  Q_OBJECT
 public:
  ChartView(QChart* chart, const std::array<QLineSeries*, kChartSlots>& series,
            QWidget* parent = nullptr);

  void SetModel(const ChartModel* model);
  const ChartModel* model() const { return model_; }
  void SetMarkersVisible(bool visible);
  bool MarkersVisible() const { return markers_; }

  // The plot area and the axis ranges as chart values (day counts, values).
  PlotMapping Mapping() const;

  static constexpr double kMarkerSize = 7.0;     // px
  static constexpr double kMarkerSpacing = 9.0;  // px between markers that can be told apart

 signals:
  // The mouse moved over the view (view coordinates).
  void MouseMoved(const QPointF& at);

 protected:
  void drawForeground(QPainter* painter, const QRectF& rect) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void DrawSeries(QPainter& painter, int slot, const PlotMapping& map, int columns);
  const QPixmap& Marker(int slot);

  const ChartModel* model_ = nullptr;
  std::array<QLineSeries*, kChartSlots> series_;
  std::array<QPixmap, kChartSlots> markerImages_;
  bool markers_ = true;
};

}  // namespace tessar
