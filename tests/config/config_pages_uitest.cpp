// The configuration pages in the window: records shown by model kind, the
// thermocouple type group, ranges, ports, the OK button and the directory.
#include <QAction>

#include "../shell/window_fixture.h"
#include "config/ui/board_pages.h"
#include "config/ui/config_page.h"
#include "i18n/text_codec.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/display_page.h"
#include "test_support.h"

namespace tessar::test {
namespace {

using Kind = ScriptedDialogs::Kind;

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

class ConfigPagesTest : public WindowTest {
 protected:
  // Board 0 "ORVA-2100", board 1 "ORVA-2200", board 2 "ORVA-2280", board 3 unknown.
  SettingsImage MixedImage(bool english) const {
    SettingsImage image = DefaultImage();
    image.boards[0].englishUi = english ? 1 : 0;
    StoreFieldBytes(image.boards[1].modelName, "ORVA-2200");
    StoreFieldBytes(image.boards[2].modelName, "ORVA-2280");
    StoreFieldBytes(image.boards[3].modelName, "ORVA-9999");
    return image;
  }
  // Every per-channel control of channel k of a board, on all pages (the
  // type combo aside: it also follows the board type).
  std::vector<QWidget*> ChannelControls(MainWindow& w, int b, int k) {
    ConfigPage& c = *w.configPage(b);
    ChartPage& ch = *w.chartPage(b);
    return {c.EdT1[k],  c.EdT0[k],   c.EdMicv[k], c.EdMxcv[k],    c.CBR[k], ch.Chk[k],
            ch.ChkAl[k], ch.EdHigh[k], ch.EdLow[k], ch.EdValue[k], w.displayPage()->EdName[b][k]};
  }
};

TEST_F(ConfigPagesTest, ModelKindChoosesChannelsRelaysAndRanges) {
  WriteSettings(MixedImage(true));
  MainWindow& w = Start();
  auto enabledChannels = [&](int b) {
    std::vector<int> on;
    for (int k = 1; k <= 8; ++k) {
      int enabled = 0;
      for (QWidget* c : ChannelControls(w, b, k)) enabled += c->isEnabled() ? 1 : 0;
      EXPECT_TRUE(enabled == 0 || enabled == 11) << "board " << b << " channel " << k;
      if (enabled) on.push_back(k);
    }
    return on;
  };
  // ORVA-2100, kind 0
  EXPECT_EQ(enabledChannels(0), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(w.chartPage(0)->Chk[0]->isEnabled()) << "the reference slot is always there";
  ConfigPage& p0 = *w.configPage(0);
  EXPECT_TRUE(p0.ChkDO[0]->isEnabled());
  for (int o = 1; o < 4; ++o) EXPECT_FALSE(p0.ChkDO[o]->isEnabled());
  EXPECT_EQ(Items(p0.CBR[1]).first(), "2500 mV");
  EXPECT_EQ(Items(p0.CBR[8]).last(), "19.5313 mV");
  EXPECT_EQ(p0.CBR[1]->count(), 8);
  EXPECT_EQ(w.state().Boards[0].frame.FrameLength, 56);
  // ORVA-2200, kind 1
  EXPECT_EQ(enabledChannels(1), (std::vector<int>{1, 2, 3, 4}));
  ConfigPage& p1 = *w.configPage(1);
  for (int o = 0; o < 4; ++o) EXPECT_TRUE(p1.ChkDO[o]->isEnabled());
  EXPECT_EQ(Items(p1.CBR[2]),
            QStringList({"5000 mV ", "2500 mV", "1250 mV", "625 mV", "312.5 mV ", "156.25 mV",
                         "78.125 mV"}));
  EXPECT_EQ(w.state().Boards[1].frame.ModelKind, 1);
  EXPECT_EQ(w.state().Boards[1].frame.FrameLength, 40);
  // ORVA-2280, kind 2: everything
  EXPECT_EQ(enabledChannels(2), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(w.state().Boards[2].frame.FrameLength, 72);
  // a model outside the table keeps kind 0 and accepts no frame
  EXPECT_EQ(w.state().Boards[3].frame.ModelKind, 0);
  EXPECT_EQ(w.state().Boards[3].frame.FrameLength, 0);
  EXPECT_EQ(w.configPage(3)->LblModel->text(), "ORVA-9999");
}

// A record shown again (the end of "Get Configure", a viewer's received
// record) leaves the manual relay boxes locked while the interlock is on.
TEST_F(ConfigPagesTest, RecordShownAgainKeepsTheInterlockRuleOfTheManualRelays) {
  WriteSettings(MixedImage(true));
  MainWindow& w = Start();
  for (const bool interlock : {true, false}) {
    for (const int b : {1, 2}) {  // four outputs each
      SCOPED_TRACE(testing::Message() << "board " << b << " interlock " << interlock);
      ConfigPage& page = *w.configPage(b);
      page.ChkR->setChecked(interlock);
      ApplyConfigPage(b, w.state(), w.boardPages(b));
      for (QCheckBox* box : page.ChkDO) EXPECT_EQ(box->isEnabled(), !interlock);
    }
  }
}

TEST_F(ConfigPagesTest, RecordIsShownWithItsFormats) {
  SettingsImage image = MixedImage(true);
  BoardSettings& r = image.boards[1];
  r.voltA1 = 1.234567;
  r.refVoltage = 0.25;
  r.channelT1[2] = -3.5;
  r.channelRangeMv[1] = 100.0;   // the smallest range that covers it
  r.channelRangeMv[2] = 5000.0;
  r.channelRangeMv[3] = 9000.0;  // larger than every entry: no selection
  r.alarmHigh[4] = 55.555;
  r.alarmEnabled[4] = 0;
  r.channelVisible[0] = 0;
  r.boardSensorType = 7;
  r.channelSensorType[3] = 5;
  r.portNumber = 9;  // not present on this system
  StoreFieldBytes(r.jobTitle, "Furnace 2");
  StoreFieldBytes(r.channelName[2], "Inlet");
  StoreFieldBytes(r.serialNumber, "B12345");
  image.boards[0].channelRangeMv[5] = 78.125;
  WriteSettings(image);
  MainWindow& w = Start();
  ConfigPage& p = *w.configPage(1);
  EXPECT_EQ(p.EdPA1->text(), "1.23457");
  EXPECT_EQ(p.EdVs->text(), "0.25000");
  EXPECT_EQ(p.EdT1[2]->text(), "-3.50000");
  EXPECT_EQ(p.EdMxcv[1]->text(), "10000.00000");
  EXPECT_EQ(p.CBR[1]->currentText(), "156.25 mV");
  EXPECT_EQ(p.CBR[2]->currentText(), "5000 mV ");
  EXPECT_EQ(p.CBR[3]->currentIndex(), -1);
  EXPECT_EQ(w.configPage(0)->CBR[5]->currentText(), "78.125 mV");
  EXPECT_EQ(p.RgTC->itemIndex(), 7);
  EXPECT_EQ(p.CbTy[3]->currentText(), "T");
  EXPECT_TRUE(p.CbTy[3]->isEnabled());
  EXPECT_EQ(p.EdSNum->text(), "B12345");
  EXPECT_EQ(p.CBPort->currentText(), "No Use");
  ChartPage& c = *w.chartPage(1);
  EXPECT_EQ(c.EdHigh[4]->text(), "55.55");  // "%.2f" of 55.555
  EXPECT_EQ(c.EdLow[4]->text(), "-20.00");
  EXPECT_FALSE(c.ChkAl[4]->isChecked());
  EXPECT_FALSE(c.Chk[0]->isChecked());
  EXPECT_FALSE(c.Series[0]->isVisible());
  EXPECT_EQ(c.Series[2]->name(), "Inlet");
  EXPECT_EQ(c.LblTitle->text(), "Furnace 2");
  EXPECT_EQ(w.displayPage()->EditT[1]->text(), "Furnace 2");
  EXPECT_EQ(w.displayPage()->EdName[1][2]->text(), "Inlet");
  // the board's own types follow the board type unless it is "H"
  EXPECT_EQ(w.configPage(0)->CbTy[1]->currentText(), "mV");
  EXPECT_FALSE(w.configPage(0)->CbTy[1]->isEnabled());

  // a port that is not present shows "No Use"; the record keeps it until OK stores 0
  EXPECT_EQ(w.state().Settings.boards[1].portNumber, 9);
  w.OKBtn1Click(1);
  EXPECT_EQ(w.state().Settings.boards[1].portNumber, 0);
  // OK keeps a range that no entry covers
  EXPECT_EQ(w.state().Settings.boards[1].channelRangeMv[3], 9000.0);
  EXPECT_EQ(w.state().Settings.boards[1].channelRangeMv[1], 156.25);
}

TEST_F(ConfigPagesTest, ThermocoupleTypeActsAtOnce) {
  WriteSettings(MixedImage(true));
  MainWindow& w = Start();
  ConfigPage& p0 = *w.configPage(0);
  p0.RgTC->button(1)->click();  // "K"
  EXPECT_EQ(w.state().Settings.boards[0].boardSensorType, 1);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_EQ(p0.CbTy[k]->currentText(), "K") << k;
    EXPECT_FALSE(p0.CbTy[k]->isEnabled()) << k;
  }
  EXPECT_EQ(p0.CbTy[7]->currentText(), "mV") << "a channel the model lacks is left alone";
  p0.RgTC->button(7)->click();  // "H"
  EXPECT_EQ(w.state().Settings.boards[0].boardSensorType, 7);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_TRUE(p0.CbTy[k]->isEnabled()) << k;
    EXPECT_EQ(p0.CbTy[k]->currentText(), "K") << "H keeps the selection";
  }
  // kind 1: channels 1..4
  ConfigPage& p1 = *w.configPage(1);
  p1.RgTC->button(3)->click();  // "J"
  EXPECT_EQ(p1.CbTy[4]->currentText(), "J");
  EXPECT_EQ(p1.CbTy[5]->currentText(), "mV");
}

TEST_F(ConfigPagesTest, OkWithANonNumberStoresUpToItThenAsksToClose) {
  WriteSettings(MixedImage(true));
  const auto before = ReadBytes(SettingsPath());
  MainWindow& w = Start();
  w.show();
  ConfigPage& p0 = *w.configPage(0);
  p0.EdT1[1]->setText("2");
  p0.EdT1[2]->setText("3");
  p0.EdT1[3]->setText("abc");
  p0.EdT1[4]->setText("5");
  w.configPage(1)->EdT1[1]->setText("6");
  dialogs_.QueueConfirm(false);
  p0.OKBtn->click();
  ASSERT_EQ(dialogs_.calls().size(), 3u);
  EXPECT_EQ(dialogs_.calls()[0].kind, Kind::Beep);
  EXPECT_EQ(dialogs_.calls()[1].kind, Kind::Message);
  EXPECT_EQ(dialogs_.calls()[1].text, "Invalid data");
  EXPECT_EQ(dialogs_.calls()[2].kind, Kind::Confirm);
  const SettingsImage& s = w.state().Settings;
  EXPECT_EQ(s.boards[0].channelT1[1], 2.0);
  EXPECT_EQ(s.boards[0].channelT1[2], 3.0);
  EXPECT_EQ(s.boards[0].channelT1[3], 1.0);
  EXPECT_EQ(s.boards[0].channelT1[4], 1.0);
  EXPECT_EQ(s.boards[1].channelT1[1], 1.0);
  // Cancel: the window runs on and nothing is written
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(ReadBytes(SettingsPath()), before);
}

TEST_F(ConfigPagesTest, OkInKoreanShowsTheKoreanMessage) {
  WriteSettings(MixedImage(false));
  MainWindow& w = Start();
  w.configPage(3)->EdVs->setText("?");
  w.configPage(3)->OKBtn->click();
  EXPECT_EQ(dialogs_.Texts(Kind::Message), QStringList({QString::fromUtf8("값이 올바르지 않습니다.")}));
}

TEST_F(ConfigPagesTest, PortChoiceAndProgramChoicesAreStoredByOk) {
  WriteSettings(MixedImage(true));
  MainWindow& w = Start();
  ConfigPage& p0 = *w.configPage(0);
  p0.SetPortItems({"COM1", "COM3", "COM101"});
  EXPECT_EQ(Items(p0.CBPort), QStringList({"No Use", "COM1", "COM3", "COM101"}));
  p0.SelectPort(3);
  EXPECT_EQ(p0.CBPort->currentText(), "COM3");
  EXPECT_EQ(p0.PortNumberOf(), 3);
  p0.SelectPort(0);
  EXPECT_EQ(p0.CBPort->currentIndex(), 0);
  p0.SelectPort(4);
  EXPECT_EQ(p0.CBPort->currentIndex(), 0);
  p0.CBPort->setCurrentIndex(3);
  w.configPage(2)->SetPortItems({"COM2"});
  w.configPage(2)->SelectPort(2);
  p0.ChbEnglish->setChecked(false);
  p0.ChkElapse->setChecked(true);
  p0.CBR[2]->setCurrentIndex(0);
  dialogs_.QueueConfirm(false);
  w.OKBtn1Click(2);
  const SettingsImage& s = w.state().Settings;
  EXPECT_EQ(s.boards[0].portNumber, 101);
  EXPECT_EQ(s.boards[2].portNumber, 2);
  EXPECT_EQ(s.boards[1].portNumber, 0);
  EXPECT_EQ(s.boards[0].englishUi, 0);
  EXPECT_EQ(s.boards[0].elapseTimeAxis, 1);
  EXPECT_EQ(s.boards[0].channelRangeMv[2], 2500.0);
  EXPECT_EQ(dialogs_.Count(Kind::Message), 0);
  // the language of the run does not change before the next start
  EXPECT_FALSE(w.state().KoreanUi);
  EXPECT_EQ(w.configPage(0)->OKBtn->text(), "OK");
}

TEST_F(ConfigPagesTest, DirectorySelectionIsKeptAndStoredByOk) {
  WriteSettings(MixedImage(true));
  MainWindow& w = Start();
  ASSERT_TRUE(QDir(ExeDir()).mkpath("other/place"));
  const QString other = ExeDir() + "/other/place";
  w.configPage(0)->SelectDirectory(other);
  EXPECT_EQ(w.state().CurrentDataDirectory, other);
  EXPECT_EQ(w.configPage(0)->LblPath1->text(), other);
  w.OKBtn1Click(0);
  EXPECT_EQ(ReadField(w.state().Settings.boards[0].dataDirectory), other);

  // a path that does not fit the field, or has characters the settings file
  // cannot hold, is refused with a beep and a message; the stored one stays
  QString deep = ExeDir();
  while (deep.size() <= 80) deep += "/deeper";
  const QString accented = ExeDir() + QString::fromUtf8("/café");
  for (const QString& refused : {deep, accented}) {
    ASSERT_TRUE(QDir().mkpath(refused));
    w.configPage(0)->SelectDirectory(refused);
    EXPECT_EQ(w.state().CurrentDataDirectory, refused);
    dialogs_.ClearCalls();
    w.OKBtn1Click(0);
    EXPECT_EQ(dialogs_.Count(Kind::Beep), 1);
    ASSERT_EQ(dialogs_.Count(Kind::Message), 1);
    EXPECT_TRUE(dialogs_.Texts(Kind::Message)[0].contains("too long")) << refused.toStdString();
    EXPECT_TRUE(dialogs_.Texts(Kind::Message)[0].contains("cannot hold"));
    EXPECT_EQ(ReadField(w.state().Settings.boards[0].dataDirectory), other);
  }
}

}  // namespace
}  // namespace tessar::test
