// The network page ("Client"; "Server" in the viewer): the list of connected
// clients (MemoC), the logs of received requests and events (MemoR) and of
// sent replies (MemoS), and the switch "Disable All Networking". The data
// server and the data client write into these controls.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

namespace tessar {

// Lines MemoR and MemoS keep at most.
inline constexpr int kNetworkLogBound = 1000;

class ClientPage : public QWidget {
  Q_OBJECT
 public:
  explicit ClientPage(const QString& listCaption, QWidget* parent = nullptr);

  QCheckBox* ChkNetOff = nullptr;
  QLabel* PlClient = nullptr;
  QPlainTextEdit* MemoC = nullptr;
  QLabel* PlRLog = nullptr;
  QPlainTextEdit* MemoR = nullptr;
  QLabel* PlSLog = nullptr;
  QPlainTextEdit* MemoS = nullptr;
};

}  // namespace tessar
