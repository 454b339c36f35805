// Shows what an acquisition cycle decided on a board's live page. The cycle
// itself (acquisition_cycle.h) changes only plain state and files and returns
// a CycleOutcome; these functions apply it to the widgets. The window's tick
// handler is then:
//
//   const auto outcomes = AcquisitionTick(boards, inputs);
//   ApplyTickOutcomes(pages, outcomes, MemoR, MemoS);
//
// and the Restart button of board b:
//
//   statusBar()->showMessage(ApplyRestart(*pages[b], RestartRun(boards[b], b), KoreanUi));
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <array>
#include <optional>

#include "acquisition/acquisition_cycle.h"

namespace tessar {

class ChartPage;

// Lines a memo holds (an empty memo holds none).
int MemoLineCount(const QPlainTextEdit* memo);

// One board's cycle: the activity indicator, the start label, the value
// boxes and, when a record was taken, the chart point and the memo line (the
// memo is emptied once it holds 250 lines, whatever added them).
void ApplyCycleOutcome(ChartPage& page, const CycleOutcome& outcome);

// The chart point of a record, which the cycle has put into the board's
// chart model: the series without data switched off in the first records
// (their channel boxes unchecked without touching the stored visibility),
// the bottom axis window and, while it is automatic, the value axis; then a
// repaint, which only a shown page carries out.
void ApplyChartPoint(ChartPage& page, const ChartPoint& point);

// The shared network logs are emptied once they hold 100 lines or more, when
// a cycle asks for it. Either log may be absent (nullptr).
void CapNetworkLogs(const CycleOutcome& outcome, QPlainTextEdit* memoR, QPlainTextEdit* memoS);

// Every board's outcome of a tick, in board order; boards without an outcome
// (no frame waiting, or the tick was held) keep their display.
void ApplyTickOutcomes(const std::array<ChartPage*, kBoardCount>& pages,
                       const std::array<std::optional<CycleOutcome>, kBoardCount>& outcomes,
                       QPlainTextEdit* memoR, QPlainTextEdit* memoS);

// The page's part of a Restart: the memo emptied, the emptied chart redrawn. Returns
// the status bar text in the language of the run.
QString ApplyRestart(ChartPage& page, const RestartMessage& message, bool koreanUi);

}  // namespace tessar
