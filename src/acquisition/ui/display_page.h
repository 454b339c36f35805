// The page "Display": for each board its job title (EditT1 .. EditT4) and its
// eight channel names (Ed01 .. Ed08 for board A, Ed11 .. for B, Ed21 .. for
// C, Ed31 .. for D). The chart panels act on their changes.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QWidget>
#include <array>

namespace tessar {

class DisplayPage : public QWidget {
  Q_OBJECT
 public:
  explicit DisplayPage(QWidget* parent = nullptr);

  // per board 0..3
  std::array<QGroupBox*, 4> BoardBox{};
  std::array<QLineEdit*, 4> EditT{};
  // [board][channel 1..8]; entry 0 empty
  std::array<std::array<QLineEdit*, 9>, 4> EdName{};
};

}  // namespace tessar
