#include "chart_labels.h"

#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace tessar::test {

std::vector<double> ValueAxisLabels(QChartView& view) {
  std::vector<std::pair<double, double>> found;  // (height in the scene, value)
  const QRectF plot = view.chart()->plotArea();
  for (QGraphicsItem* item : view.scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (text == nullptr || !text->isVisible() || text->sceneBoundingRect().right() > plot.left() + 1) continue;
    bool number = false;
    const double value = text->toPlainText().toDouble(&number);
    if (number) found.emplace_back(-text->sceneBoundingRect().center().y(), value);
  }
  std::sort(found.begin(), found.end());
  std::vector<double> values;
  for (const auto& f : found) values.push_back(f.second);
  return values;
}

bool RoundLabels(const std::vector<double>& labels, std::string* why) {
  const auto fail = [why](std::string text) {
    if (why != nullptr) *why = std::move(text);
    return false;
  };
  if (labels.size() < 3) return fail(std::to_string(labels.size()) + " labels");
  const double step = labels[1] - labels[0];
  if (!(step > 0)) return fail("labels not ascending");
  const double power = std::pow(10.0, std::floor(std::log10(step)));
  const double mantissa = std::round(step / power * 1000) / 1000;
  if (mantissa != 1 && mantissa != 2 && mantissa != 5) return fail("step " + std::to_string(step));
  for (std::size_t i = 1; i < labels.size(); ++i) {
    if (std::fabs(labels[i] - labels[i - 1] - step) > step * 1e-6) return fail("uneven labels");
    if (std::fabs(labels[i] / step - std::round(labels[i] / step)) > 1e-6)
      return fail(std::to_string(labels[i]) + " is no multiple of " + std::to_string(step));
  }
  return true;
}

}  // namespace tessar::test
