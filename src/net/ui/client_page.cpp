#include "net/ui/client_page.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tessar {

namespace {

QLabel* Panel(const QString& caption, const char* name, QWidget* parent) {
  auto* panel = new QLabel(caption, parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  panel->setAlignment(Qt::AlignCenter);
  panel->setMinimumHeight(24);
  return panel;
}

QPlainTextEdit* Log(const char* name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  return memo;
}

}  // namespace

ClientPage::ClientPage(const QString& listCaption, QWidget* parent) : QWidget(parent) {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(6, 6, 6, 6);
  ChkNetOff = new QCheckBox(QStringLiteral("Disable All Networking"), this);
  ChkNetOff->setObjectName(QStringLiteral("ChkNetOff"));
  page->addWidget(ChkNetOff);

  auto* columns = new QHBoxLayout;
  auto column = [&](QLabel*& panel, QPlainTextEdit*& memo, const QString& caption,
                    const char* panelName, const char* memoName, int stretch) {
    auto* box = new QVBoxLayout;
    box->setSpacing(0);
    panel = Panel(caption, panelName, this);
    memo = Log(memoName, this);
    box->addWidget(panel);
    box->addWidget(memo, 1);
    columns->addLayout(box, stretch);
  };
  column(PlClient, MemoC, listCaption, "PlClient", "MemoC", 1);
  column(PlRLog, MemoR, QStringLiteral("Receive Log"), "PlRLog", "MemoR", 2);
  column(PlSLog, MemoS, QStringLiteral("Send Log"), "PlSLog", "MemoS", 2);
  // Where no acquisition cycle empties the logs (a logger without devices
  // serving busy clients), they keep their latest lines only.
  MemoR->setMaximumBlockCount(kNetworkLogBound);
  MemoS->setMaximumBlockCount(kNetworkLogBound);
  // the viewer adds its server's host at every connection
  MemoC->setMaximumBlockCount(kNetworkLogBound);
  page->addLayout(columns, 1);
}

}  // namespace tessar
