// Start-up defaults, port listing and port selection.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <fstream>

#include "WindowFixture.h"
#include "app/StatusPanelBar.h"
#include "tests/support/Waiting.h"

namespace {

TEST_F(WindowTest, StartsCapturingWithTheDefaultsAndWithoutOpeningAPort) {
  auto& w = Create();
  EXPECT_TRUE(w.Running);
  EXPECT_EQ(w.bStart->text(), "Stop");
  EXPECT_EQ(w.cbBaud->currentText(), "115200");
  EXPECT_EQ(w.cbLogTimeOut->currentIndex(), 1);
  EXPECT_EQ(w.cbScale->currentIndex(), 11);
  EXPECT_EQ(w.cbFilterScale->currentIndex(), 7);
  EXPECT_EQ(w.tbOff->minimum(), -32766);
  EXPECT_EQ(w.tbOff->maximum(), 32767);
  EXPECT_EQ(w.tbOff->value(), 0);
  EXPECT_EQ(w.DcOffset, -8196);
  EXPECT_EQ(w.DcScale, 50.0);
  EXPECT_EQ(w.AcScale, 2.0);
  EXPECT_EQ(w.LogTimeoutMinutes, 2);
  EXPECT_TRUE(w.OffsetInitPending);
  EXPECT_TRUE(w.cbEnabled->isChecked());
  EXPECT_TRUE(w.cbFilter->isChecked());
  EXPECT_FALSE(w.CheckBoxLog->isEnabled());
  for (int channel = 1; channel <= 8; ++channel) {
    EXPECT_EQ(w.DcEnabled[channel], channel == 1);
    EXPECT_EQ(w.AcEnabled[channel], channel == 1);
    const TBgrColor dc = w.DcColor[channel];
    const TBgrColor ac = w.AcColor[channel];
    EXPECT_EQ(ac.R, dc.R >> 1);
    EXPECT_EQ(ac.G, dc.G >> 1);
    EXPECT_EQ(ac.B, dc.B >> 1);
  }
  for (int panel = 0; panel < 9; ++panel) EXPECT_EQ(w.StatusTemp->PanelWidth(panel), 0) << panel;
  EXPECT_EQ(w.StatusTemp->PanelWidth(9), 50);
  EXPECT_EQ(w.Surface->Width(), 472);
  EXPECT_EQ(w.Surface->Height(), 353);
  EXPECT_EQ(OpenCount(), 0);
  EXPECT_TRUE(Prompts().boxes.empty());
}

TEST_F(WindowTest, ListsThePortsThatOpenAndOpensTheFirstAt115200EightNoneOne) {
  AddPorts({1, 3, 4});
  auto& w = Create();
  w.FormShow();
  ASSERT_EQ(w.ComboBoxPort->count(), 3);
  EXPECT_EQ(w.ComboBoxPort->itemText(0), "COM1");
  EXPECT_EQ(w.ComboBoxPort->itemText(1), "COM3");
  EXPECT_EQ(w.ComboBoxPort->itemText(2), "COM4");
  EXPECT_EQ(w.ComboBoxPort->itemData(2).toInt(), 4);
  EXPECT_EQ(w.ComboBoxPort->currentIndex(), 0);
  EXPECT_TRUE(w.serial->Active());
  EXPECT_EQ(w.serial->Port(), 1);
  ExpectLineSettings(115200);
  EXPECT_TRUE(Prompts().boxes.empty());
}

TEST_F(WindowTest, WithoutPortsReportsTheListIndexOnceAndKeepsCapturing) {
  auto& w = Create();
  w.RunGuarded([&] { w.FormShow(); });
  ASSERT_EQ(Prompts().boxes.size(), 1u);
  EXPECT_EQ(Prompts().boxes[0].caption, "Dez Idure");
  EXPECT_EQ(Prompts().boxes[0].text, "List index out of bounds (-1)");
  EXPECT_EQ(w.ComboBoxPort->count(), 0);
  EXPECT_FALSE(w.serial->Active());
  EXPECT_TRUE(w.Running);
  EXPECT_EQ(Notice(), "no serial port found");
  EXPECT_TRUE(Prompts().told.isEmpty()) << "numbers without a device are no failures";
}

TEST_F(WindowTest, PickingABaudRateReopensTheSelectedPort) {
  AddPorts({2});
  auto& w = Create();
  w.FormShow();
  const int opensBefore = OpenCount();
  w.cbBaud->setCurrentIndex(5);
  emit w.cbBaud->activated(5);
  EXPECT_EQ(OpenCount(), opensBefore + 1);
  EXPECT_TRUE(w.serial->Active());
  ExpectLineSettings(9600);
}

// Each failed open says why on standard error, in the status bar and in the
// port list's tooltip; the box of a failed pick stays as it was. A second
// reader of the open port is named the same ways.
TEST_F(WindowTest, APortHeldElsewhereIsReportedWithItsHolderAndLeftClosed) {
  AddPorts({1});
  AddBusyPort(3);
  SetHolders(1, {{"cat", 4242}});
  SetHolders(3, {{"minicom", 812}});
  auto& w = Create();
  w.FormShow();
  const QString held = "COM3 (COM3): in use by another program (minicom, pid 812)";
  const QString shared =
      "COM1 (COM1) is also open in cat, pid 4242, which can take some of its bytes: frames may be lost";
  EXPECT_EQ(Prompts().told, (QStringList{held, shared}));
  EXPECT_EQ(QString::fromStdString(Notice()), shared);
  EXPECT_TRUE(w.ComboBoxPort->toolTip().startsWith(
      "COM1: COM1, open at 115200 baud\nCOM2: no device\nCOM3: COM3, in use by another program (minicom, pid 812)\n"));

  w.ComboBoxPort->addItem(QStringLiteral("COM3"), 3);
  w.ComboBoxPort->setCurrentIndex(1);
  emit w.ComboBoxPort->activated(1);
  ASSERT_EQ(Prompts().boxes.size(), 1u);
  EXPECT_EQ(Prompts().boxes[0].caption, "Error");
  EXPECT_EQ(Prompts().boxes[0].text, "Selected port is invalid");
  EXPECT_FALSE(w.serial->Active());
  EXPECT_EQ(Prompts().told, (QStringList{held, shared, held})) << "a pick is told again";
  EXPECT_EQ(QString::fromStdString(Notice()), held);
  EXPECT_TRUE(w.ComboBoxPort->toolTip().startsWith("COM1: COM1, available\n"));
}

// Opening the list probes the other ports again: a port plugged in since is
// listed, a vanished one drops out, and the open port is neither probed nor
// reopened nor is any handler fired.
TEST_F(WindowTest, OpeningThePortListReprobesOnlyTheOtherPorts) {
  AddPorts({1, 3});
  auto& w = Create();
  w.FormShow();
  w.ComboBoxPort->setCurrentIndex(1);
  emit w.ComboBoxPort->activated(1);
  ASSERT_EQ(w.serial->Port(), 3);
  AddPorts({2});
  RemovePort(1);
  const int opens = OpenCount();
  w.ComboBoxPort->showPopup();
  w.ComboBoxPort->hidePopup();
  EXPECT_EQ(w.ComboBoxPort->itemText(0), "COM2");
  EXPECT_EQ(w.ComboBoxPort->itemText(1), "COM3");
  EXPECT_EQ(w.ComboBoxPort->count(), 2);
  EXPECT_EQ(w.ComboBoxPort->currentText(), "COM3");
  EXPECT_EQ(OpenCount(), opens);
  EXPECT_TRUE(w.serial->Active());
  EXPECT_TRUE(w.ComboBoxPort->toolTip().startsWith("COM1: COM1, not present\nCOM2: COM2, available\nCOM3: COM3, open"));
  EXPECT_EQ(Prompts().told, QStringList{"COM1 (COM1): not present"});
  w.ComboBoxPort->showPopup();
  w.ComboBoxPort->hidePopup();
  EXPECT_EQ(Prompts().told.size(), 1) << "an unchanged failure is not told again";
  EXPECT_TRUE(Prompts().boxes.empty());
}

// A lost device closes the port and is waited for; when it returns it is
// reopened with the same settings and the remains of a cut frame are dropped.
TEST_F(WindowTest, ALostPortIsAwaitedAndReopenedWithItsSettings) {
  AddPorts({1, 2});
  auto& w = Create();
  w.FormShow();
  w.cbBaud->setCurrentIndex(5);
  emit w.cbBaud->activated(5);
  Receive(w, Bytes({0xA5, 0x00, 0x03, 0x12}));
  ASSERT_FALSE(w.RxBuffer.empty()) << "a frame is cut short";
  RemovePort(1);
  ASSERT_TRUE(support::RunEventsUntil([&] { return Notice() == "COM1 (COM1): gone, waiting for it to return"; }));
  EXPECT_FALSE(w.serial->Active());
  EXPECT_TRUE(w.Running);

  AddPorts({1});
  ASSERT_TRUE(support::RunEventsUntil([&] { return Notice() == "COM1 (COM1) reconnected, open at 9600 baud"; }));
  ExpectLineSettings(9600);
  EXPECT_TRUE(w.RxBuffer.empty());
  EXPECT_EQ(Prompts().told, (QStringList{"COM1 (COM1): gone, waiting for it to return",
                                         "COM1 (COM1) reconnected, open at 9600 baud"}));
}

TEST_F(WindowTest, ListingAgainKeepsTheSelectedPortByNumber) {
  AddPorts({1, 3, 4});
  auto& w = Create();
  w.FormShow();
  w.ComboBoxPort->setCurrentIndex(2);
  emit w.ComboBoxPort->activated(2);
  w.ListPorts();
  EXPECT_EQ(w.ComboBoxPort->currentText(), "COM4");
  EXPECT_EQ(w.serial->Port(), 4);
}

TEST_F(WindowInScratchDirectoryTest, TheLogoFileReplacesTheBuiltInPictureWhenItLoads) {
  {
    std::ofstream broken("logo.bmp");
    broken << "not a picture";
  }
  auto& first = Create();
  EXPECT_EQ(first.iLogo->pixmap().size(), QSize(160, 65)) << "the built-in picture stays";
  EXPECT_TRUE(Prompts().boxes.empty());
  DestroyWindow();

  QImage logo(40, 20, QImage::Format_RGB888);
  logo.fill(Qt::red);
  ASSERT_TRUE(logo.save("logo.bmp"));
  auto& second = Create();
  EXPECT_EQ(second.iLogo->pixmap().size(), QSize(40, 20));
}

/// A palette of light text on a dark window, as a dark desktop theme gives.
QPalette DarkPalette() {
  QPalette dark = QApplication::palette();
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) dark.setColor(role, QColor(40, 40, 40));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(role, QColor(230, 230, 230));
  return dark;
}

// The scale column shows the window's ground under a light palette; under a
// dark one, set before the window is built or while it runs, a light ground
// on which the navy AC labels stand out.
TEST_F(WindowTest, TheScaleColumnHasTheWindowsGroundUnlessThePaletteIsDark) {
  struct Case {
    const char* name;
    bool darkBefore;
    bool darkAfter;
  };
  const Case cases[] = {{"default palette", false, false},
                        {"dark palette", true, true},
                        {"palette turned dark while running", false, true},
                        {"palette turned light while running", true, false}};
  const QPalette desktop = QApplication::palette();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QApplication::setPalette(c.darkBefore ? DarkPalette() : desktop);
    auto& w = Create();
    QApplication::setPalette(c.darkAfter ? DarkPalette() : desktop);
    QCoreApplication::sendPostedEvents();  // the change reaches the widgets
    const QImage window = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor windowGround = w.palette().color(QPalette::Window);
    const QColor ground = window.pixelColor(w.Panel4->mapTo(&w, QPoint(2, 2)));
    const QRect label(w.lTrace4->mapTo(&w, QPoint(0, 0)), w.lTrace4->size());
    DestroyWindow();
    QApplication::setPalette(desktop);

    if (!c.darkAfter) {
      EXPECT_EQ(ground, windowGround);
      continue;
    }
    EXPECT_GT(ground.lightness(), windowGround.lightness() + 100) << "a light ground in the dark window";
    int darkest = 255;
    for (int y = label.top(); y <= label.bottom(); ++y) {
      for (int x = label.left(); x <= label.right(); ++x)
        darkest = std::min(darkest, window.pixelColor(x, y).lightness());
    }
    EXPECT_LT(darkest, ground.lightness() - 100) << "the AC label's dark text shows on it";
  }
}

}  // namespace
