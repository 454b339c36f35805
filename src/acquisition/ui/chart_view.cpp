#include "acquisition/ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtCharts/QValueAxis>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QXYSeries>
#include <algorithm>
#include <cmath>

#include "acquisition/ui/chart_axes.h"

namespace tessar {

const std::array<SeriesLook, kChartSlots>& SeriesLooks() {
  static const std::array<SeriesLook, kChartSlots> looks = {{
      {0x0449BB, 1, MarkerShape::Diamond},
      {0xED1C24, 2, MarkerShape::Rectangle},
      {0x009600, 2, MarkerShape::Circle},
      {0xC602B6, 1, MarkerShape::Triangle},
      {0x5D5151, 3, MarkerShape::Rectangle},
      {0xEC9123, 2, MarkerShape::Star},
      {0x21AEA0, 2, MarkerShape::DownTriangle},
      {0x400080, 2, MarkerShape::Diamond},
      {0x808000, 2, MarkerShape::Triangle},
  }};
  return looks;
}

ChartView::ChartView(QChart* chart, const std::array<QLineSeries*, kChartSlots>& series,
                     QWidget* parent)
    : QChartView(chart, parent), series_(series) {
  setMouseTracking(true);
  // The series are painted over the whole plot on every repaint, so no part
  // of an earlier picture can stay behind.
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

void ChartView::SetModel(const ChartModel* model) {
  model_ = model;
  viewport()->update();
}

void ChartView::SetMarkersVisible(bool visible) {
  markers_ = visible;
  viewport()->update();
}

PlotMapping ChartView::Mapping() const {
  PlotMapping map;
  const QRectF plot = chart()->plotArea();
  map.left = plot.left();
  map.top = plot.top();
  map.width = std::max(plot.width(), 1.0);
  map.height = std::max(plot.height(), 1.0);
  const QList<QAbstractAxis*> horizontal = chart()->axes(Qt::Horizontal);
  const QList<QAbstractAxis*> vertical = chart()->axes(Qt::Vertical);
  if (!horizontal.isEmpty()) {
    if (auto* time = qobject_cast<QDateTimeAxis*>(horizontal.first())) {
      std::tie(map.x0, map.x1) = TimeAxisRange(time);
    }
  }
  if (!vertical.isEmpty()) {
    if (auto* value = qobject_cast<QValueAxis*>(vertical.first())) {
      map.y0 = value->min();
      map.y1 = value->max();
    }
  }
  if (!(map.x1 > map.x0)) map.x1 = map.x0 + 1.0 / 86400.0;
  if (!(map.y1 > map.y0)) map.y1 = map.y0 + 1.0;
  return map;
}

void ChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  if (model_ == nullptr || model_->empty()) return;
  const PlotMapping map = Mapping();
  const int columns = static_cast<int>(std::lround(map.width));
  painter->save();
  painter->setClipRect(QRectF(map.left, map.top, map.width, map.height));
  for (int slot = 0; slot < kChartSlots; ++slot) {
    if (series_[slot] == nullptr || !series_[slot]->isVisible()) continue;
    DrawSeries(*painter, slot, map, columns);
  }
  painter->restore();
}

void ChartView::DrawSeries(QPainter& painter, int slot, const PlotMapping& map, int columns) {
  const SeriesLook& look = SeriesLooks()[slot];
  const QColor colour(look.colour);
  const auto xs = model_->xs();
  const auto ys = model_->ys(slot);
  const auto reduced = ReduceToColumns(xs, ys, map.x0, map.x1, columns);
  const bool dense = std::any_of(reduced.begin(), reduced.end(), [columns](const EnvelopeColumn& c) {
    return c.count > 1 && c.column >= 0 && c.column < columns;
  });

  if (!dense) {
    // Every point inside the plot stands alone: a line through them all,
    // with the neighbours outside the plot for the lines that leave it.
    QPolygonF line;
    line.reserve(static_cast<int>(reduced.size()));
    for (const EnvelopeColumn& c : reduced) {
      if (c.column < 0) {
        line << QPointF(map.Px(c.lastX), map.Py(c.last));
      } else {
        line << QPointF(map.Px(c.firstX), map.Py(c.first));
      }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(colour, look.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(line);
  } else {
    // One pixel column at a time: the extent of its points, reaching back to
    // the last point of the column before; columns further apart are joined
    // by a line.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, look.width));
    const double w = look.width;
    const EnvelopeColumn* previous = nullptr;
    for (const EnvelopeColumn& c : reduced) {
      const bool inside = c.column >= 0 && c.column < columns;
      double low = c.low;
      double high = c.high;
      if (previous != nullptr) {
        if (inside && previous->column == c.column - 1) {
          low = std::min(low, previous->last);
          high = std::max(high, previous->last);
        } else {
          painter.drawLine(QPointF(map.Px(previous->lastX), map.Py(previous->last)),
                           QPointF(map.Px(c.firstX), map.Py(c.first)));
        }
      }
      if (inside) {
        const double top = map.Py(high);
        const double bottom = map.Py(low);
        painter.fillRect(QRectF(map.left + c.column + 0.5 - w / 2.0, top - w / 2.0, w,
                                bottom - top + w),
                         colour);
      }
      previous = &c;
    }
  }

  if (!markers_) return;
  const QPixmap& marker = Marker(slot);
  const double half = kMarkerSize / 2.0;
  for (int i : MarkerIndices(xs, ys, map, kMarkerSpacing)) {
    painter.drawPixmap(QPointF(map.Px(xs[i]) - half, map.Py(ys[i]) - half), marker);
  }
}

const QPixmap& ChartView::Marker(int slot) {
  QPixmap& image = markerImages_[slot];
  const qreal ratio = devicePixelRatioF();
  if (!image.isNull() && image.devicePixelRatio() == ratio) return image;
  const SeriesLook& look = SeriesLooks()[slot];
  image = QPixmap::fromImage(MarkerImage(look.marker, QColor(look.colour), kMarkerSize, ratio));
  return image;
}

QImage MarkerImage(MarkerShape shape, const QColor& colour, double size, qreal ratio) {
  const int pixels = static_cast<int>(std::ceil(size * ratio));
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour.darker(130), 1.0));
  p.setBrush(colour);
  const QRectF box(0.5, 0.5, size - 1.0, size - 1.0);
  const QPointF c = box.center();
  switch (shape) {
    case MarkerShape::Diamond:
      p.drawPolygon(QPolygonF{{c.x(), box.top()}, {box.right(), c.y()}, {c.x(), box.bottom()},
                              {box.left(), c.y()}});
      break;
    case MarkerShape::Rectangle:
      p.drawRect(box);
      break;
    case MarkerShape::Circle:
      p.drawEllipse(box);
      break;
    case MarkerShape::Triangle:
      p.drawPolygon(QPolygonF{{c.x(), box.top()}, box.bottomRight(), box.bottomLeft()});
      break;
    case MarkerShape::DownTriangle:
      p.drawPolygon(QPolygonF{box.topLeft(), box.topRight(), {c.x(), box.bottom()}});
      break;
    case MarkerShape::Star: {
      QPolygonF star;
      for (int k = 0; k < 10; ++k) {
        const double r = (k % 2 ? 0.4 : 1.0) * box.width() / 2.0;
        const double a = -M_PI / 2.0 + k * M_PI / 5.0;
        star << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
      }
      p.drawPolygon(star);
      break;
    }
  }
  return image;
}

void ColourLegendMarkers(QChart& chart) {
  for (QLegendMarker* marker : chart.legend()->markers()) {
    if (auto* series = qobject_cast<QXYSeries*>(marker->series())) {
      const QColor colour = series->pen().color();
      marker->setBrush(colour);
      marker->setPen(QPen(colour));
    }
  }
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  emit MouseMoved(event->position());
}

}  // namespace tessar
