// The captions that the Korean interface replaces. The window is built with
// the English captions; in Korean mode the start sequence sets every entry of
// this table, in table order. Everything not listed keeps its English caption.
#pragma once

#include <QString>
#include <vector>

namespace tessar {

enum class CaptionRole {
  Text,           // caption of a button, check box, label, group box, menu or menu item
  Hint,           // tool tip of the control, not its caption
  TimeAxisTitle,  // title of the time axis of a board's live chart
};

struct CaptionEntry {
  QString name;  // objectName of the control (for TimeAxisTitle: the chart, "Chart1"..)
  CaptionRole role;
  int board;     // 0..3 for per-board controls, -1 for single ones
  QString english;
  QString korean;
};

// The expanded table: one entry per control. `elapsedAxis` chooses the time
// axis titles; `clientEdition` adds the viewer's own captions.
std::vector<CaptionEntry> KoreanCaptionTable(bool elapsedAxis, bool clientEdition);

}  // namespace tessar

namespace tessar {

// The record browser's own captions (its window and pop-up menu), set when
// the browser is created in Korean mode.
std::vector<CaptionEntry> BrowserCaptionTable();
// The captions of the printed report: in Korean mode the `korean` text of
// each entry, else the `english` one (entry names are the report's fields).
std::vector<CaptionEntry> ReportCaptionTable();

}  // namespace tessar
