#include "config/ui/config_page.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "common/ui/control_tag.h"
#include "device/port_names.h"
#include "config/range_captions.h"
#include "common/ui/guarded.h"

namespace tessar {

QStringList BoardTypeItems() { return {"mV", "K", "R", "J", "S", "T", "A", "H"}; }
QStringList ChannelTypeItems() { return {"mV", "K", "R", "J", "S", "T", "A", "Z"}; }

namespace {

QLineEdit* NumberEdit(QWidget* parent, int width) {
  auto* edit = new QLineEdit(parent);
  edit->setFixedWidth(width);
  edit->setAlignment(Qt::AlignRight);
  return edit;
}

}  // namespace

ConfigPage::ConfigPage(int board, QWidget* parent) : QWidget(parent), board_(board) {
  const QString n = QString::number(board + 1);
  const QString letter = BoardLetter(board);
  auto name = [board](const char* prefix) { return BoardControlName(prefix, board); };
  auto channelName = [board](const char* prefix, int k) {
    return ChannelControlName(prefix, board, k);
  };

  auto* columns = new QHBoxLayout(this);
  columns->setContentsMargins(6, 6, 6, 6);
  columns->setSpacing(8);
  // fixed column widths keep the page inside the window in both languages
  auto column = [&](int width) {
    auto* host = new QWidget(this);
    if (width > 0) host->setFixedWidth(width);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(host, width > 0 ? 0 : 1);
    return layout;
  };
  QVBoxLayout* left = column(326);
  QVBoxLayout* middle = column(184);
  QVBoxLayout* right = column(0);

  // --- left column: port (or server address), type, corrections, interval, model, relays
  GBCPort = Named(new QGroupBox(QStringLiteral("Communication Port"), this), name("GBCPort"), board);
  {
    auto* box = new QHBoxLayout(GBCPort);
    CBPort = Named(new QComboBox(GBCPort), name("CBPort"), board);
    CBPort->setMinimumWidth(140);
    box->addWidget(CBPort);
    box->addStretch(1);
  }
  left->addWidget(GBCPort);
  SetPortItems({});

  GBIP = Named(new QGroupBox(QStringLiteral("IP Address"), this), name("GBIP"), board);
  {
    auto* box = new QGridLayout(GBIP);
    CBAddr = Named(new QComboBox(GBIP), name("CBAddr"), board);
    CBAddr->setEditable(true);
    CBAddr->addItem(QStringLiteral("127.0.0.1"));
    CBAddr->setMinimumWidth(150);
    UDPort = Named(new QSpinBox(GBIP), name("UDPort"), board);
    UDPort->setRange(1, 4);
    UDPort->setValue(1);
    if (board == 0) UDPort->findChild<QLineEdit*>()->setObjectName(QStringLiteral("Edit2"));
    BtConnect = Named(new QPushButton(QStringLiteral("Connect"), GBIP), name("BtConnect"), board);
    BtC = Named(new QPushButton(QStringLiteral("C"), GBIP), name("BtC"), board);
    BtC->setToolTip(QStringLiteral("Get Config"));
    BtC->setFixedWidth(28);
    BtC->setEnabled(false);
    box->addWidget(CBAddr, 0, 0, 1, 3);
    box->addWidget(UDPort, 1, 0);
    box->addWidget(BtConnect, 1, 1);
    box->addWidget(BtC, 1, 2);
  }
  GBIP->hide();
  left->addWidget(GBIP);

  RgTC = Named(new RadioGroup(QStringLiteral("Thermocouple type"), BoardTypeItems(), 8, this),
               name("RgTC"), board);
  left->addWidget(RgTC);

  GBVCP = Named(new QGroupBox(QStringLiteral("Voltage Correction Parameter"), this), name("GBVCP"),
                board);
  {
    auto* box = new QGridLayout(GBVCP);
    EdPA1 = Named(NumberEdit(GBVCP, 96), QStringLiteral("EdP%1A1").arg(n), board);
    EdPA0 = Named(NumberEdit(GBVCP, 96), QStringLiteral("EdP%1A0").arg(n), board);
    box->addWidget(new QLabel(QStringLiteral("A1"), GBVCP), 0, 0);
    box->addWidget(EdPA1, 0, 1);
    box->addWidget(new QLabel(QStringLiteral("A0"), GBVCP), 0, 2);
    box->addWidget(EdPA0, 0, 3);
    box->addWidget(new QLabel(QStringLiteral("Conversion : Y = A0 + A1 * X"), GBVCP), 1, 0, 1, 4);
  }
  left->addWidget(GBVCP);

  GBSVol = Named(new QGroupBox(QStringLiteral("CJC Parameters"), this), name("GBSVol"), board);
  {
    auto* box = new QHBoxLayout(GBSVol);
    EdVs = Named(NumberEdit(GBSVol, 100), name("EdVs"), board);
    box->addWidget(new QLabel(QStringLiteral("Ref = "), GBSVol));
    box->addWidget(EdVs);
    box->addWidget(new QLabel(QStringLiteral("V"), GBSVol));
    box->addStretch(1);
  }
  left->addWidget(GBSVol);

  GBSInterval = Named(new QGroupBox(QStringLiteral("Sampling Interval"), this), name("GBSInterval"),
                      board);
  {
    auto* box = new QGridLayout(GBSInterval);
    UDInt = Named(new QSpinBox(GBSInterval), name("UDInt"), board);
    UDInt->setRange(1, 1000);
    UDInt->setFixedWidth(80);
    UDInt->findChild<QLineEdit*>()->setObjectName(name("EdInt"));
    box->addWidget(UDInt, 0, 0);
    if (isFirstPage()) {
      ChbZero = Named(new QCheckBox(QStringLiteral("Zero Correction"), GBSInterval),
                      QStringLiteral("ChbZero"), board);
      ChkOhm = Named(new QCheckBox(QStringLiteral("Ohm Correction"), GBSInterval),
                     QStringLiteral("ChkOhm"), board);
      box->addWidget(ChbZero, 1, 0, 1, 2);
      box->addWidget(ChkOhm, 1, 2, 1, 2);
    }
    box->setColumnStretch(1, 1);
  }
  left->addWidget(GBSInterval);

  {
    auto* modelBox = new QGroupBox(this);
    auto* box = new QGridLayout(modelBox);
    LblM = Named(new QLabel(QStringLiteral("Model : "), modelBox), name("LblM"), board);
    LblModel = Named(new QLabel(modelBox), name("LblModel"), board);
    LblSN = Named(new QLabel(QStringLiteral("Serial Number : "), modelBox), name("LblSN"), board);
    EdSNum = Named(new QLineEdit(modelBox), name("EdSNum"), board);
    EdSNum->setMaxLength(20);
    EdSNum->setFixedWidth(140);
    box->addWidget(LblM, 0, 0);
    box->addWidget(LblModel, 0, 1);
    box->addWidget(LblSN, 1, 0);
    box->addWidget(EdSNum, 1, 1);
    box->setColumnStretch(2, 1);
    left->addWidget(modelBox);
  }

  GBDO = Named(new QGroupBox(QStringLiteral("D/O Relay"), this), name("GBDO"), board);
  {
    auto* box = new QGridLayout(GBDO);
    // the form description of boards 2 and 4 carries a trailing blank
    ChkR = Named(new QCheckBox(board % 2 == 1 ? QStringLiteral("Interlock D/O ")
                                              : QStringLiteral("Interlock D/O"),
                               GBDO),
                 name("ChkR"), board);
    box->addWidget(ChkR, 0, 0, 1, 2);
    for (int o = 0; o < 4; ++o) {
      ChkDO[o] = Named(new QCheckBox(QStringLiteral("CH%1 D/O On").arg(o + 1), GBDO),
                       QStringLiteral("ChkDO%1%2").arg(letter).arg(o + 1), 10 * board + o);
      box->addWidget(ChkDO[o], 1 + o / 2, o % 2);
    }
  }
  left->addWidget(GBDO);
  left->addStretch(1);

  // --- middle column: ranges; page 1 also the cold junction and the program-wide choices
  GBRP = Named(new QGroupBox(QStringLiteral("Range Parameters"), this), name("GBRP"), board);
  {
    auto* box = new QGridLayout(GBRP);
    box->setVerticalSpacing(3);
    int row = 0;
    if (isFirstPage()) {
      box->addWidget(new QLabel(QStringLiteral("R0 = "), GBRP), row, 0);
      box->addWidget(new QLabel(QStringLiteral("2500"), GBRP), row, 1);
      ++row;
    }
    for (int k = 1; k <= kChannelCount; ++k, ++row) {
      CBR[k] = Named(new QComboBox(GBRP), channelName("CBR", k), 10 * board + k);
      CBR[k]->setFixedWidth(118);
      box->addWidget(new QLabel(QStringLiteral("R%1 =").arg(k), GBRP), row, 0);
      box->addWidget(CBR[k], row, 1);
    }
  }
  middle->addWidget(GBRP);
  if (isFirstPage()) {
    GBCJT = Named(new QGroupBox(QStringLiteral("Cold Junction Temperature"), this),
                  QStringLiteral("GBCJT"), board);
    auto* box = new QHBoxLayout(GBCJT);
    ChbTref = Named(new QCheckBox(QStringLiteral("Use"), GBCJT), QStringLiteral("ChbTref"), board);
    EdTref = Named(NumberEdit(GBCJT, 70), QStringLiteral("EdTref"), board);
    box->addWidget(ChbTref);
    box->addWidget(new QLabel(QStringLiteral("Tref = "), GBCJT));
    box->addWidget(EdTref);
    box->addStretch(1);
    middle->addWidget(GBCJT);

    auto* options = new QGridLayout;
    ChbEnglish = Named(new QCheckBox(QStringLiteral("English "), this), QStringLiteral("ChbEnglish"),
                       board);
    ChkElapse = Named(new QCheckBox(QStringLiteral("Elapse"), this), QStringLiteral("ChkElapse"),
                      board);
    LblFilter = Named(new QLabel(QStringLiteral("Filter : "), this), QStringLiteral("LblFilter"),
                      board);
    UDQueue = Named(new QSpinBox(this), QStringLiteral("UDQueue"), board);
    UDQueue->setRange(0, 3600);
    UDQueue->setFixedWidth(80);
    UDQueue->findChild<QLineEdit*>()->setObjectName(QStringLiteral("Edit1"));
    options->addWidget(ChbEnglish, 0, 0);
    options->addWidget(ChkElapse, 0, 1);
    options->addWidget(LblFilter, 1, 0);
    options->addWidget(UDQueue, 1, 1);
    middle->addLayout(options);
  }
  middle->addStretch(1);

  // --- right column: conversion table; page 1 also the data directory; buttons
  GBCP = Named(new QGroupBox(QStringLiteral("Conversion Parameter"), this), name("GBCP"), board);
  {
    auto* grid = new QGridLayout(GBCP);
    grid->setVerticalSpacing(3);
    const char* headers[] = {"T1", "T0", "Type", "Minimum", "Maximum"};
    for (int c = 0; c < 5; ++c) {
      auto* header = new QLabel(QString::fromLatin1(headers[c]), GBCP);
      header->setAlignment(Qt::AlignCenter);
      grid->addWidget(header, 0, c + 1);
    }
    for (int k = 1; k <= kChannelCount; ++k) {
      const int tag = 10 * board + k;
      grid->addWidget(new QLabel(QStringLiteral("CH%1").arg(k), GBCP), k, 0);
      EdT1[k] = Named(NumberEdit(GBCP, 76), channelName("EdT1", k), tag);
      EdT0[k] = Named(NumberEdit(GBCP, 76), channelName("EdT0", k), tag);
      CbTy[k] = Named(new QComboBox(GBCP), channelName("CbTy", k), tag);
      CbTy[k]->addItems(ChannelTypeItems());
      CbTy[k]->setFixedWidth(58);
      EdMicv[k] = Named(NumberEdit(GBCP, 88), channelName("EdMicv", k), tag);
      EdMxcv[k] = Named(NumberEdit(GBCP, 88), channelName("EdMxcv", k), tag);
      grid->addWidget(EdT1[k], k, 1);
      grid->addWidget(EdT0[k], k, 2);
      grid->addWidget(CbTy[k], k, 3);
      grid->addWidget(EdMicv[k], k, 4);
      grid->addWidget(EdMxcv[k], k, 5);
    }
  }
  right->addWidget(GBCP);
  if (isFirstPage()) right->addWidget(BuildDirectoryBox());
  right->addStretch(1);

  LblMsg = Named(new QLabel(QStringLiteral("To apply this values, you must restart this program."),
                            this),
                 name("LblMsg"), board);
  LblMsg->setStyleSheet(QStringLiteral("color: #C00000;"));
  right->addWidget(LblMsg);
  auto* buttons = new QHBoxLayout;
  OKBtn = Named(new QPushButton(QStringLiteral("OK"), this), name("OKBtn"), board);
  BtnGet = Named(new QPushButton(QStringLiteral("Get Configure"), this), name("BtnGet"), board);
  BtRestart = Named(new QPushButton(QStringLiteral("Restart"), this), name("BtRestart"), board);
  for (QPushButton* b : {OKBtn, BtnGet, BtRestart}) {
    b->setMinimumWidth(110);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  right->addLayout(buttons);
}

QWidget* ConfigPage::BuildDirectoryBox() {
  auto* frame = new QGroupBox(this);
  frame->setObjectName(QStringLiteral("DirectoryBox"));
  auto* box = new QVBoxLayout(frame);
  DriveComboBox1 = Named(new QComboBox(frame), QStringLiteral("DriveComboBox1"), 0);
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    DriveComboBox1->addItem(volume.rootPath());
  }
  if (DriveComboBox1->findText(QDir::rootPath()) < 0) DriveComboBox1->insertItem(0, QDir::rootPath());
  DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(QDir::rootPath()));

  directoryModel_ = new QFileSystemModel(this);
  directoryModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  directoryModel_->setRootPath(QDir::rootPath());
  DirectoryListBox1 = Named(new QTreeView(frame), QStringLiteral("DirectoryListBox1"), 0);
  DirectoryListBox1->setModel(directoryModel_);
  for (int c = 1; c < directoryModel_->columnCount(); ++c) DirectoryListBox1->hideColumn(c);
  DirectoryListBox1->setHeaderHidden(true);
  DirectoryListBox1->setRootIndex(directoryModel_->index(QDir::rootPath()));
  DirectoryListBox1->setFixedHeight(150);
  LblPath1 = Named(new QLabel(frame), QStringLiteral("LblPath1"), 0);
  LblPath1->setTextInteractionFlags(Qt::TextSelectableByMouse);

  box->addWidget(DriveComboBox1);
  box->addWidget(DirectoryListBox1);
  box->addWidget(LblPath1);

  connect(DriveComboBox1, &QComboBox::currentIndexChanged, this,
          Guarded(DriveComboBox1, [this](int index) { DriveChanged(index); }));
  // the model reads folders in the background: show the selection once its parents are read
  connect(directoryModel_, &QFileSystemModel::directoryLoaded, this,
          Guarded(directoryModel_, [this] { RevealSelection(); }));
  // rows read into a parent folder of the selection move it: keep it in view
  connect(directoryModel_, &QAbstractItemModel::rowsInserted, this,
          Guarded(directoryModel_, [this](const QModelIndex& parent) {
            for (QModelIndex p = DirectoryListBox1->currentIndex().parent(); p.isValid();
                 p = p.parent()) {
              if (p == parent) {
                QMetaObject::invokeMethod(
                    this, Guarded(this, [this] { RevealSelection(); }), Qt::QueuedConnection);
                return;
              }
            }
          }));
  connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          Guarded(DirectoryListBox1, [this](const QModelIndex& current) {
            const QString path = directoryModel_->filePath(current);
            LblPath1->setText(path);
            emit directoryChanged(path);
          }));
  return frame;
}

void ConfigPage::DriveChanged(int index) {
  if (index < 0 || directoryModel_ == nullptr) return;
  const QString root = DriveComboBox1->itemText(index);
  DirectoryListBox1->setRootIndex(directoryModel_->index(root));
  DirectoryListBox1->setCurrentIndex(directoryModel_->index(root));
}

QString ConfigPage::SelectedDirectory() const {
  if (directoryModel_ == nullptr) return {};
  const QModelIndex current = DirectoryListBox1->currentIndex();
  return current.isValid() ? directoryModel_->filePath(current) : QString();
}

void ConfigPage::SelectDirectory(const QString& path) {
  if (directoryModel_ == nullptr) return;
  // the volume that holds the path: the longest mount point that is a prefix of it
  const QString clean = QDir::cleanPath(path);
  int best = -1;
  for (int i = 0; i < DriveComboBox1->count(); ++i) {
    const QString root = DriveComboBox1->itemText(i);
    const bool holds = clean == root || clean.startsWith(root.endsWith('/') ? root : root + '/');
    if (holds && (best < 0 || root.size() > DriveComboBox1->itemText(best).size())) best = i;
  }
  if (best >= 0) {
    const QSignalBlocker blocker(DriveComboBox1);
    DriveComboBox1->setCurrentIndex(best);
    DirectoryListBox1->setRootIndex(directoryModel_->index(DriveComboBox1->itemText(best)));
  }
  const QModelIndex index = directoryModel_->index(clean);
  DirectoryListBox1->setCurrentIndex(index);
  RevealSelection();
  LblPath1->setText(clean);
}

void ConfigPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // a hidden view does not scroll: show the selected folder when the page appears
  if (DirectoryListBox1 != nullptr)
    QMetaObject::invokeMethod(this, Guarded(this, [this] { RevealSelection(); }),
                              Qt::QueuedConnection);
}

void ConfigPage::RevealSelection() {
  const QModelIndex current = DirectoryListBox1->currentIndex();
  if (!current.isValid()) return;
  for (QModelIndex p = current.parent(); p.isValid(); p = p.parent()) DirectoryListBox1->expand(p);
  DirectoryListBox1->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

void ConfigPage::SetPortItems(const QStringList& portNames, const QStringList& toolTips) {
  CBPort->clear();
  CBPort->addItem(QString::fromLatin1(kNoUseItem));
  for (int i = 0; i < portNames.size(); ++i) {
    CBPort->addItem(portNames[i]);
    if (i < toolTips.size()) CBPort->setItemData(i + 1, toolTips[i], Qt::ToolTipRole);
  }
  CBPort->setCurrentIndex(0);
}

int ConfigPage::PortNumberOf() const {
  return PortNumberOfItem(CBPort->currentIndex(), CBPort->currentText().toStdString());
}

void ConfigPage::SelectPort(int portNumber) {
  const int index = portNumber < 1 ? 0 : CBPort->findText(QString::fromStdString(ComName(portNumber)));
  CBPort->setCurrentIndex(index < 0 ? 0 : index);
}

void ConfigPage::SetRangeItems(int modelKind) {
  const QStringList captions = RangeCaptions(modelKind);
  for (int k = 1; k <= kChannelCount; ++k) {
    CBR[k]->clear();
    CBR[k]->addItems(captions);
    CBR[k]->setCurrentIndex(-1);
  }
}

void ConfigPage::ClearRangeItems() {
  for (int k = 1; k <= kChannelCount; ++k) CBR[k]->clear();
}

ConfigPageTexts ConfigPage::Texts() const {
  ConfigPageTexts texts;
  texts.portNumber = PortNumberOf();
  texts.boardSensorType = RgTC->itemIndex();
  texts.refVoltage = EdVs->text();
  texts.voltA1 = EdPA1->text();
  texts.voltA0 = EdPA0->text();
  for (int k = 1; k <= kChannelCount; ++k) {
    ChannelPageTexts& ch = texts.channels[k];
    ch.typeIndex = CbTy[k]->currentIndex();
    ch.rangeIndex = CBR[k]->currentIndex();
    ch.t1 = EdT1[k]->text();
    ch.t0 = EdT0[k]->text();
    ch.minimum = EdMicv[k]->text();
    ch.maximum = EdMxcv[k]->text();
  }
  return texts;
}

}  // namespace tessar
