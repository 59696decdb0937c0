#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "serial/PosixPortNames.h"

namespace {

namespace fs = std::filesystem;
using Ports = comm::PortList;

// A fake sysfs tree in a fresh temporary folder, and a fake environment.
class PortNames : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dezidure-sysfs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_environment.sysRoot = m_root.string();
    m_environment.getEnv = [this](const std::string& name) -> std::optional<std::string> {
      const auto it = m_variables.find(name);
      if (it == m_variables.end()) return std::nullopt;
      return it->second;
    };
  }
  void TearDown() override { fs::remove_all(m_root); }

  // A terminal entry; a UART gets its sysfs type (0 for a phantom node).
  void AddTty(const std::string& name, std::optional<int> uartType = std::nullopt) {
    fs::create_directories(m_root / "class/tty" / name);
    if (uartType) std::ofstream(m_root / "class/tty" / name / "type") << *uartType << '\n';
  }
  void SetConsoles(const std::string& active) {
    AddTty("console");
    std::ofstream(m_root / "class/tty/console/active") << active << '\n';
  }

  fs::path m_root;
  std::map<std::string, std::string> m_variables;
  comm::PortEnvironment m_environment;
};

TEST_F(PortNames, ListsUsbThenCdcThenUartsWithHardwareInNumericOrderSkippingConsoles) {
  for (const char* name :
       {"ttyUSB10", "ttyUSB2", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty0", "tty12", "ttyprintk", "ptmx"})
    AddTty(name);
  AddTty("ttyS0", 4);
  AddTty("ttyS1", 0);
  AddTty("ttyS10", 4);
  AddTty("ttyS2", 4);
  AddTty("ttyS3");
  AddTty("ttySAC0", 4);
  AddTty("ttyAMA0", 3);
  SetConsoles("tty0 ttyS0 ttyUSB2");
  EXPECT_EQ(comm::PresentSerialDevices(m_environment),
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS2",
                                      "/dev/ttyS10", "/dev/ttyAMA0"}));
  m_environment.sysRoot = (m_root / "absent").string();
  EXPECT_TRUE(comm::PresentSerialDevices(m_environment).empty());
}

TEST(PortNumbers, DevicesKeepTheirNumbersWhileAwayAndNewOnesTakeTheLowestFree) {
  const std::string a = "/dev/ttyUSB0", b = "/dev/ttyUSB1", c = "/dev/ttyACM0", d = "/dev/ttyS4";
  const struct {
    const char* name;
    Ports previous;
    std::vector<std::string> present;
    Ports numbered;
  } cases[] = {
      {"first numbering in order", {}, {a, b, c}, {a, b, c}},
      {"an unplugged device keeps its number", {a, b, c}, {b, c}, {a, b, c}},
      {"a new device takes a free number, not an away one", {a, b, c}, {b, c, d}, {a, b, c, d}},
      {"a returning device gets its number back", {a, b, c, d}, {d, a}, {a, b, c, d}},
      {"an away number is reused only when all are taken",
       {a, b, c, "4", "5", "6", "7", "8", "9"},
       {a, c, "4", "5", "6", "7", "8", "9", d},
       {a, d, c, "4", "5", "6", "7", "8", "9"}},
      {"a tenth device gets no number",
       {a, b, c, "4", "5", "6", "7", "8", "9"},
       {a, b, c, "4", "5", "6", "7", "8", "9", d},
       {a, b, c, "4", "5", "6", "7", "8", "9"}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(comm::NumberPorts(k.previous, k.present), k.numbered);
  }
}

TEST_F(PortNames, SetVariablesAloneDefineThePortsAndEmptyOnesCountAsUnset) {
  AddTty("ttyACM3");
  m_variables["DEZIDURE_COM1"] = "";
  comm::PortNumbering numbering(m_environment);
  EXPECT_EQ(numbering.DeviceFor(1), "/dev/ttyACM3");
  EXPECT_EQ(numbering.DeviceFor(0), "");
  EXPECT_EQ(numbering.DeviceFor(10), "");
  m_variables["DEZIDURE_COM2"] = "/dev/serial/by-id/usb-board-if00";
  m_variables["DEZIDURE_COM9"] = "/dev/pts/5";
  EXPECT_EQ(comm::PortOverrides(m_environment.getEnv),
            (Ports{"", "/dev/serial/by-id/usb-board-if00", "", "", "", "", "", "", "/dev/pts/5"}));
  EXPECT_EQ(numbering.DeviceFor(1), "");
  EXPECT_EQ(numbering.DeviceFor(9), "/dev/pts/5");
}

}  // namespace
