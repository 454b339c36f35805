// The configuration page of one board ("Config 1" .. "Config 4"): serial
// port, sensor type, ranges, conversion coefficients, CJC reference, voltage
// correction, sampling interval, relay outputs; page 1 also holds the
// program-wide choices (language, elapsed axis, filter, data directory) and
// the live correction switches. Control names follow the board: CBPort1,
// RgTC1, CBRA1.., EdT1A1.. on page 1; CBPort2, CBRB1.., EdT1B1.. on page 2.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QWidget>
#include <array>

#include "common/ui/radio_group.h"
#include "config/config_store.h"

namespace tessar {

// Items of the "Thermocouple type" group and of the channel type combos.
QStringList BoardTypeItems();    // "mV", "K", "R", "J", "S", "T", "A", "H"
QStringList ChannelTypeItems();  // "mV", "K", "R", "J", "S", "T", "A", "Z"

class ConfigPage : public QWidget {
  Q_OBJECT
 public:
  ConfigPage(int board, QWidget* parent = nullptr);

  int board() const { return board_; }
  bool isFirstPage() const { return board_ == 0; }

  // --- controls of every page (per-channel arrays indexed by channel 1..8) ---
  QGroupBox* GBCPort = nullptr;
  QComboBox* CBPort = nullptr;
  RadioGroup* RgTC = nullptr;
  QGroupBox* GBVCP = nullptr;
  QLineEdit* EdPA1 = nullptr;  // EdP1A1 (board A), EdP2A1 ..
  QLineEdit* EdPA0 = nullptr;  // EdP1A0 ..
  QGroupBox* GBSVol = nullptr;
  QLineEdit* EdVs = nullptr;
  QGroupBox* GBRP = nullptr;
  std::array<QComboBox*, 9> CBR{};   // CBRA1 .. CBRA8
  QGroupBox* GBCP = nullptr;
  std::array<QLineEdit*, 9> EdT1{};  // EdT1A1 ..
  std::array<QLineEdit*, 9> EdT0{};  // EdT0A1 ..
  std::array<QComboBox*, 9> CbTy{};  // CbTyA1 ..
  std::array<QLineEdit*, 9> EdMicv{};  // EdMicvA1 ..
  std::array<QLineEdit*, 9> EdMxcv{};  // EdMxcvA1 ..
  QGroupBox* GBSInterval = nullptr;
  QSpinBox* UDInt = nullptr;  // its edit is named EdInt1 ..
  QLabel* LblM = nullptr;
  QLabel* LblModel = nullptr;
  QLabel* LblSN = nullptr;
  QLineEdit* EdSNum = nullptr;
  QGroupBox* GBDO = nullptr;
  QCheckBox* ChkR = nullptr;
  std::array<QCheckBox*, 4> ChkDO{};  // ChkDOA1 .. ChkDOA4 (index = output - 1)
  QPushButton* OKBtn = nullptr;
  QPushButton* BtnGet = nullptr;
  QPushButton* BtRestart = nullptr;
  QLabel* LblMsg = nullptr;
  // the viewer's connection group, hidden in the logger
  QGroupBox* GBIP = nullptr;
  QComboBox* CBAddr = nullptr;
  QSpinBox* UDPort = nullptr;
  QPushButton* BtConnect = nullptr;
  QPushButton* BtC = nullptr;

  // --- page 1 only (null on the other pages) ---
  QCheckBox* ChbZero = nullptr;
  QCheckBox* ChkOhm = nullptr;
  QCheckBox* ChbEnglish = nullptr;
  QCheckBox* ChkElapse = nullptr;
  QLabel* LblFilter = nullptr;
  QSpinBox* UDQueue = nullptr;  // its edit is named Edit1
  QGroupBox* GBCJT = nullptr;
  QCheckBox* ChbTref = nullptr;
  QLineEdit* EdTref = nullptr;
  QComboBox* DriveComboBox1 = nullptr;
  QTreeView* DirectoryListBox1 = nullptr;
  QLabel* LblPath1 = nullptr;

  // The port list: "No Use" first, then `portNames` ("COMn" items). The
  // device link fills it with the ports present on the system.
  void SetPortItems(const QStringList& portNames, const QStringList& toolTips = {});
  // Number of the selected port: 0 for "No Use" or no selection.
  int PortNumberOf() const;
  // Selects "COMn"; "No Use" when n < 1 or the list has no such item.
  void SelectPort(int portNumber);

  // Fills the eight range combo boxes with the choice list of a model kind.
  void SetRangeItems(int modelKind);
  // Empties the eight range combo boxes.
  void ClearRangeItems();

  // Page 1: the directory selected in DirectoryListBox1 (empty when none),
  // and selecting one (switching DriveComboBox1 to its volume).
  QString SelectedDirectory() const;
  void SelectDirectory(const QString& path);

  // What OK stores from this page.
  ConfigPageTexts Texts() const;

 signals:
  // Page 1: the selection of DirectoryListBox1 changed (LblPath1 follows).
  void directoryChanged(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildDirectoryBox();
  void DriveChanged(int index);
  void RevealSelection();  // expands the parents of the selected folder and scrolls to it

  int board_;
  QFileSystemModel* directoryModel_ = nullptr;
};

}  // namespace tessar
