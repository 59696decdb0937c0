#include <gtest/gtest.h>

#include "app/PortReport.h"

namespace {

TEST(PortReport, TheTipListsEveryPortAndFailuresAreNewsOnlyWhenTheyChange) {
  app::PortReport report;
  report.SetOpen(1, "/dev/ttyUSB0", 115200, 115200);
  report.SetAvailable(3, "/dev/ttyACM0");
  EXPECT_TRUE(report.SetFailed(4, "/dev/ttyS0", "not present"));
  EXPECT_FALSE(report.SetFailed(4, "/dev/ttyS0", "not present")) << "the same failure again";
  EXPECT_TRUE(report.SetFailed(4, "/dev/ttyS0", "in use by another program"));
  EXPECT_EQ(report.Tip(),
            "COM1: /dev/ttyUSB0, open at 115200 baud\nCOM2: no device\nCOM3: /dev/ttyACM0, available\n"
            "COM4: /dev/ttyS0, in use by another program\nCOM5: no device\nCOM6: no device\nCOM7: no device\n"
            "COM8: no device");
  EXPECT_EQ(report.UnopenedText(), "COM4 (/dev/ttyS0): in use by another program");

  report.SetGone(1, true);
  EXPECT_EQ(report.Device(1), "/dev/ttyUSB0") << "a lost port keeps its device";
  EXPECT_EQ(report.Tip().substr(0, 55), "COM1: /dev/ttyUSB0, gone, waiting for it to return\nCOM2");
  report.SetOpen(1, "/dev/ttyUSB0", 9600, 9600);
  EXPECT_EQ(report.ReconnectedText(1), "COM1 (/dev/ttyUSB0) reconnected, open at 9600 baud");
  report.SetOpen(1, "/dev/ttyUSB0", 56000, 0);
  EXPECT_EQ(report.OpenText(1), "COM1 (/dev/ttyUSB0) open; its rate could not be read back (56000 baud asked)");

  app::PortReport empty;
  EXPECT_EQ(empty.UnopenedText(), "no serial port found");
  EXPECT_THROW(empty.SetGone(9, true), std::out_of_range);
}

TEST(PortReport, OnlyDevicesThatCanReturnUnderTheirNameAreAwaited) {
  const struct {
    const char* device;
    bool comesBack;
  } cases[] = {
      {"/dev/ttyUSB0", true}, {"/dev/serial/by-id/usb-FTDI-if00", true}, {"/tmp/board", true}, {R"(\\.\COM12)", true},
      {"/dev/pts/3", false},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ComesBackUnderItsName(c.device), c.comesBack) << c.device;

  app::PortReport report;
  report.SetOpen(2, "/dev/pts/3", 115200, 115200);
  report.SetGone(2, false);
  EXPECT_EQ(report.GoneText(2),
            "COM2 (/dev/pts/3): gone; a pseudo-terminal is not awaited, its number passes to the next terminal opened");
}

}  // namespace
