// What the user does with a board's live page: channel boxes, channel names
// and job title (page "Display"), zoom, "A"/"Y-Auto", "Scroll",
// "View Point", the mouse read-out, the chart menu, the memo's pause and
// colour, and the four export buttons. One ChartPanel per board connects the
// page's controls to these handlers; the main window only creates it.
//
// The channel box, zoom, "A"/"Y-Auto", "Scroll" and "View Point" handlers
// hold the acquisition for their duration, as the exports do; the hold is
// restored however a handler ends (it nests, see frame_state.h).
#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <functional>

class QStatusBar;

namespace tessar {

class ChartPage;
class DisplayPage;
class Dialogs;
struct ProgramState;

class ChartPanel : public QObject {
  Q_OBJECT
 public:
  ChartPanel(ChartPage& page, DisplayPage& display, ProgramState& state, Dialogs& dialogs,
             QStatusBar* statusBar, QObject* parent = nullptr);

  int board() const { return board_; }

  // Handlers, named after the controls of board A.
  void Chk01Click(int slot);
  void Ed01Change(int channel);
  void EditT1Change();
  void BtZoomIn1Click();
  void BtZoomOut1Click();
  void BtA1Click();
  void ChkScroll1Click();
  void ChkViewP1Click();
  void Chart1MouseMove(const QPointF& at);
  void YMax1Click();
  void YMin1Click();
  void ChartTitle1Click();
  void YAxisTitle1Click();
  void Memo1DblClick();
  void Memo1Click();
  void BtTxt1Click();
  void BtXLS1Click();
  void BtSaveM1Click();
  void BtSaveBmp1Click();

  // Called every 300 exported points so the window stays responsive
  // (default: the application processes its pending events).
  void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }
  // Where a failure that the user is not shown goes (a file that cannot be
  // written, an answer that is not a number): the program's error log,
  // given the class of the control and the message.
  using ErrorLog = std::function<void(const QString& senderClass, const QString& message)>;
  void SetErrorLog(ErrorLog log) { errorLog_ = std::move(log); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString Text(int id) const;
  void ShowStatus(const QString& text);
  void Zoom(double factor);
  void AskYLimit(bool maximum);
  void LogError(const QObject* sender, const QString& message);
  template <typename Export>
  void RunExport(Export&& run);

  ChartPage& page_;
  const QObject* memoViewport_ = nullptr;  // the memo's viewport, watched for clicks
  DisplayPage& display_;
  ProgramState& state_;
  Dialogs& dialogs_;
  QStatusBar* statusBar_;
  int board_;
  std::function<void()> pump_;
  ErrorLog errorLog_;
};

}  // namespace tessar
