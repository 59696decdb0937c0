#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "serial/PosixPortNames.h"

namespace {

namespace fs = std::filesystem;
using Ports = std::array<std::string, comm::kPortNumbers>;

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

TEST_F(PortNames, ProbesUsbThenCdcThenUartsWithHardwareInNumericOrderSkippingConsoles) {
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
  EXPECT_EQ(comm::PortDevices(m_environment), (Ports{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB10", "/dev/ttyACM0",
                                                     "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyAMA0", "", ""}));
}

TEST_F(PortNames, StopsAtNinePortsAndNamesNothingOutsideOneToNine) {
  for (int i = 0; i < 12; ++i) AddTty("ttyUSB" + std::to_string(i));
  EXPECT_EQ(comm::DeviceForPort(9, m_environment), "/dev/ttyUSB8");
  EXPECT_EQ(comm::DeviceForPort(0, m_environment), "");
  EXPECT_EQ(comm::DeviceForPort(10, m_environment), "");
  m_environment.sysRoot = (m_root / "absent").string();
  EXPECT_EQ(comm::PortDevices(m_environment), Ports{});
}

TEST_F(PortNames, SetVariablesAloneDefineThePortsAndEmptyOnesCountAsUnset) {
  AddTty("ttyACM3");
  m_variables["DEZIDURE_COM1"] = "";
  EXPECT_EQ(comm::DeviceForPort(1, m_environment), "/dev/ttyACM3");
  m_variables["DEZIDURE_COM2"] = "/dev/serial/by-id/usb-board-if00";
  m_variables["DEZIDURE_COM9"] = "/dev/pts/5";
  EXPECT_EQ(comm::PortDevices(m_environment),
            (Ports{"", "/dev/serial/by-id/usb-board-if00", "", "", "", "", "", "", "/dev/pts/5"}));
}

}  // namespace
