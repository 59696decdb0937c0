#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace app {

/// How the window last found a port number.
enum class PortCondition : uint8_t {
  NoDevice,   ///< the number names no device
  Available,  ///< its device opens
  Open,       ///< it is the open port
  Failed,     ///< its device did not open, for a known reason
  Gone,       ///< it was open and its device went away
};

/// What the window knows of the port numbers it lists, COM1 to COM8, and the
/// texts it shows the user about them: in the port list's tooltip, the status
/// bar and on standard error. A port is named with its device, as in
/// "COM1 (/dev/ttyUSB0)".
/// Whether a device that went away can come back under the same path as the
/// same device. A pseudo-terminal named directly (/dev/pts/N) cannot: its
/// number goes to the next terminal anyone opens, and opening that would take
/// someone's shell input. A link to one, as a simulator or socat makes, is
/// removed and made again with its program, so it can.
bool ComesBackUnderItsName(const std::string& device);

/// How a device that went away stands: "gone, waiting for it to return", or
/// for one that is not awaited (see ComesBackUnderItsName) why not.
std::string GoneReason(bool awaited);

class PortReport {
 public:
  static constexpr int kPorts = 8;

  void SetNoDevice(int port);
  void SetAvailable(int port, const std::string& device);
  /// `asked`: the rate the port was opened with; `running`: the rate the
  /// driver reports the line runs at, 0 when it could not be read back.
  void SetOpen(int port, const std::string& device, int32_t asked, int32_t running);
  /// Returns true when this is news: the port was not failing, or failed
  /// for another reason.
  bool SetFailed(int port, const std::string& device, const std::string& reason);
  /// `awaited`: whether the window waits for the device to come back.
  void SetGone(int port, bool awaited);

  /// The device the port named when last seen; empty when none.
  const std::string& Device(int port) const;

  /// One line per port: "COM1: /dev/pts/3, open at 115200 baud",
  /// "COM2: /dev/ttyUSB1, available", "COM3: /dev/ttyS0, not present",
  /// "COM1: /dev/pts/3, gone, waiting for it to return", "COM4: no device".
  std::string Tip() const;

  /// "COM1 (/dev/pts/3) open at 115200 baud"; when the driver runs the line
  /// at another rate, "... open at 38400 baud: the driver refused 56000 baud";
  /// when the rate could not be read back, "... open; its rate could not be
  /// read back (56000 baud asked)".
  std::string OpenText(int port) const;
  /// "COM1 (/dev/pts/3) reconnected, open at 115200 baud", likewise.
  std::string ReconnectedText(int port) const;
  /// "COM1 (/dev/ttyUSB0): <reason>" for a failed port.
  std::string FailureText(int port) const;
  /// "COM1 (/dev/ttyUSB0): gone, waiting for it to return", or for a device
  /// that is not awaited, why not.
  std::string GoneText(int port) const;
  /// Why no port is open after a listing: the first failure ("COM1
  /// (/dev/ttyS0): permission denied: ..."), else "no serial port found" when
  /// no number names a device, else "no port selected".
  std::string UnopenedText() const;
  /// Another process holds the open port and can take some of its bytes.
  std::string SharedText(int port, const std::string& holders) const;

 private:
  struct Status {
    PortCondition condition = PortCondition::NoDevice;
    std::string device;
    std::string reason;  ///< why it failed
    int32_t baud = 0;    ///< while open: the rate asked
    int32_t running = 0;  ///< while open: the rate the line runs at; 0 unknown
  };
  Status& At(int port);
  const Status& At(int port) const;
  std::string Title(int port) const;
  /// "open at 115200 baud", or what differs from the rate asked.
  std::string OpenState(int port) const;

  std::array<Status, kPorts> m_ports;
};

}  // namespace app
