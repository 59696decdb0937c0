#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "serial/SerialPlatform.h"
#include "serial/Win32DcbFlags.h"
#include "serial/Win32OpenFailure.h"
#include "serial/Win32PortNames.h"

namespace {

using namespace comm;

// The record the component builds for each handshake reaches the native
// bit-fields with the values the Windows driver expects.
TEST(Win32Rules, HandshakeFlagsLandInTheirNativeDcbFields) {
  const struct {
    const char* name;
    uint32_t flags;
    uint32_t ctsFlow, dsrFlow, dtrControl, rtsControl, outX, inX;
  } cases[] = {
      {"none", kDcbBinary | kDcbParity, 0, 0, 0, 0, 0, 0},
      {"RTS/CTS", kDcbBinary | kDcbOutxCtsFlow | kDcbRtsControlHandshake, 1, 0, 0, 2, 0, 0},
      {"DTR/DSR", kDcbBinary | kDcbOutxDsrFlow | kDcbDtrControlHandshake, 0, 1, 2, 0, 0, 0},
      {"XON/XOFF", kDcbBinary | kDcbOutX | kDcbInX, 0, 0, 0, 0, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DcbFlagFields f = SplitDcbFlags(c.flags);
    EXPECT_EQ(f.fBinary, 1u);
    EXPECT_EQ(f.fParity, (c.flags & kDcbParity) ? 1u : 0u);
    EXPECT_EQ(f.fOutxCtsFlow, c.ctsFlow);
    EXPECT_EQ(f.fOutxDsrFlow, c.dsrFlow);
    EXPECT_EQ(f.fDtrControl, c.dtrControl);
    EXPECT_EQ(f.fRtsControl, c.rtsControl);
    EXPECT_EQ(f.fOutX, c.outX);
    EXPECT_EQ(f.fInX, c.inX);
    // Aborting reads on a line error would stall reception until the error is cleared.
    EXPECT_EQ(f.fAbortOnError, 0u);
    EXPECT_EQ(f.fDsrSensitivity | f.fTXContinueOnXoff | f.fErrorChar | f.fNull, 0u);
  }
  // Every bit of the word has one field, the two-bit fields both of theirs.
  const DcbFlagFields all = SplitDcbFlags(0x7FFF);
  EXPECT_EQ(all.fDtrControl, 3u);
  EXPECT_EQ(all.fRtsControl, 3u);
  EXPECT_EQ(all.fAbortOnError, 1u);
  EXPECT_EQ(SplitDcbFlags(0x8000).fAbortOnError, 0u);
}

TEST(Win32Rules, PortNumbersNameComPortsUnlessVariablesDefineThem) {
  std::map<std::string, std::string> variables;
  const EnvLookup getEnv = [&variables](const std::string& name) -> std::optional<std::string> {
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
  EXPECT_EQ(Win32DeviceForPort(1, getEnv), "\\\\.\\COM1");
  EXPECT_EQ(Win32DeviceForPort(8, getEnv), "\\\\.\\COM8");
  EXPECT_EQ(Win32DeviceForPort(0, getEnv), "");
  EXPECT_EQ(Win32DeviceForPort(10, getEnv), "");
  variables["DEZIDURE_COM1"] = "";
  EXPECT_EQ(Win32DeviceForPort(1, getEnv), "\\\\.\\COM1") << "an empty variable counts as unset";
  variables["DEZIDURE_COM2"] = "\\\\.\\COM12";
  EXPECT_EQ(Win32PortDevices(getEnv), (PortList{"", "\\\\.\\COM12", "", "", "", "", "", "", ""}));
}

// A failed open reads as the user's reason, and only a gone device's codes
// end the port.
TEST(Win32Rules, OpenFailuresSayWhyAndLostDevicesAreTold) {
  const struct {
    uint32_t code;
    const char* reason;
    bool lost;
  } cases[] = {
      {2, "not present", false},
      {3, "not present", false},
      {5, "in use by another program", true},
      {32, "in use by another program", false},
      {1, "not a serial device", false},
      {21, "system text", true},
      {22, "system text", true},
      {31, "system text", true},
      {1167, "system text", true},
      {1617, "system text", true},
      {995, "system text", false},
      {87, "system text", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Win32OpenFailureReason(c.code, "system text"), c.reason);
    EXPECT_EQ(Win32DeviceLost(c.code), c.lost);
  }
}

}  // namespace
