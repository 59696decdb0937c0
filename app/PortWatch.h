#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/PortReport.h"
#include "app/StatusNotices.h"

class TSerial;

namespace app {

/// What the port watch needs of the window it serves, and nothing else.
class PortWatchHost {
 public:
  /// The port's notice for the status bar's last panel.
  virtual void ShowPortNotice(Urgency urgency, const std::string& text) = 0;
  /// A line for the user on standard error.
  virtual void TellUser(const std::string& text) = 0;
  /// The port list's tooltip: every port number and how it stands.
  virtual void ShowPortTip(const std::string& tip) = 0;
  /// Runs `action` once the call in progress (a report from inside the serial
  /// component) has returned.
  virtual void RunSoon(std::function<void()> action) = 0;
  /// Starts or stops calling PortWatch::Tick once a second.
  virtual void SetTicking(bool on) = 0;
  /// A lost device is open again: what was received before the loss is void.
  virtual void PortReturned() = 0;

 protected:
  ~PortWatchHost() = default;
};

/// The life of the window's serial ports around the picks the user makes:
/// what each port number stands for and why a port is not open, the list of
/// ports brought up to date without opening any device, a second reader of
/// the open port, and a lost device waited for and reopened once it returns.
/// Opening a serial device can reset the board behind it, so nothing here
/// opens one but to bring back a port the user had open.
class PortWatch {
 public:
  PortWatch(TSerial& serial, PortWatchHost& host);

  /// After the start-up's attempt to open port `port`: notes that it opened
  /// or why it did not.
  void NoteProbe(uint8_t port);

  /// The port numbers to list now, in order: the open port and one waited
  /// for as they are, every other one whose device looks openable. Opens
  /// nothing; a failure is told when it is news.
  std::vector<uint8_t> Relist();

  /// Closes the open port for a pick and ends any wait. Returns the port that
  /// was being waited for, 0 when none.
  uint8_t CloseForPick();
  /// After a pick's open: tells how the port stands. A failed pick of the
  /// port that was being waited for (`awaited`) goes on waiting, now with
  /// the pick's settings. Returns whether the port is open.
  bool NotePick(uint8_t port, uint8_t awaited);

  /// The serial component reports failure `code` on the open port.
  void Failed(int32_t code);
  /// Once a second while a lost device is awaited: reopens it when present.
  void Tick();
  /// Ends any wait, as the window closes.
  void EndWait();

  /// The device a port number named when last seen; empty when none.
  const std::string& Device(uint8_t port) const { return m_report.Device(port); }
  /// Why no port is open after a listing.
  std::string UnopenedText() const { return m_report.UnopenedText(); }
  bool Awaiting() const { return m_awaited.has_value(); }

 private:
  /// A lost port being waited for: its number and the device it named.
  struct AwaitedPort {
    uint8_t port;
    std::string device;
  };

  void NoteOpenFailure(uint8_t port, int32_t code, bool onlyNews);
  void NoteOpened(bool reconnected);
  void PortLost();
  void AwaitReturn(uint8_t port);
  void ShowTip();

  TSerial& m_serial;
  PortWatchHost& m_host;
  PortReport m_report;
  std::optional<AwaitedPort> m_awaited;
  bool m_lossPending = false;  ///< a lost device is reported; closing it is queued
};

}  // namespace app
