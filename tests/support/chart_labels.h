// What a chart shows, read back from its scene as a person reads it.
#pragma once

#include <QtCharts/QChartView>
#include <vector>

namespace tessar::test {

// The numbers labelled left of the plot (the value axis), bottom to top.
// The chart must have been laid out (shown, events processed).
std::vector<double> ValueAxisLabels(QChartView& view);

// Whether `labels` read as a round axis: at least three, every 1, 2 or 5
// times a power of ten, each a multiple of that step. `why` says what is not.
bool RoundLabels(const std::vector<double>& labels, std::string* why = nullptr);

}  // namespace tessar::test
