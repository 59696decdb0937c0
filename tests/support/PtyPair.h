#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "tests/support/Waiting.h"

namespace support {

/// Both sides of a raw pseudo-terminal: the slave stands for the serial
/// device, the master for the board at the other end. The master does not
/// block. The slave stays open here as well, so a program that opens and
/// closes it never hangs up the line by itself. Both close when the object
/// goes.
///
/// Given a link path, the pair is reached through a symbolic link there, as a
/// USB adapter is through its /dev/serial/by-id name: Unplug removes the link
/// with the pair, Plug opens a fresh pair behind the same link.
class PtyPair {
 public:
  /// A pair reached at its slave's own name; IsOpen() tells whether it opened.
  PtyPair();
  /// A pair reached through a symbolic link at `link`, which the object owns:
  /// anything there is replaced, and the link is removed when the object goes.
  explicit PtyPair(std::string link);
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool IsOpen() const { return m_master >= 0; }
  /// Where a program opens the device: the link, or the slave's name.
  const std::string& Path() const { return m_link.empty() ? m_slaveName : m_link; }
  int Master() const { return m_master; }
  int Slave() const { return m_slave; }

  /// Writes as much of `bytes` as the terminal takes now; returns that count.
  size_t WriteSome(std::string_view bytes);
  /// Writes all of `bytes`, waiting while the terminal is full; false when
  /// they were not all written within `limit`.
  bool WriteAll(std::string_view bytes, std::chrono::milliseconds limit = kPatience);
  /// As WriteAll, running the Qt event loop while the terminal is full, so a
  /// reader in this process takes the bytes as they come.
  bool Stream(std::string_view bytes, std::chrono::milliseconds limit = kPatience);

  /// Closes the master: the reader's side hangs up.
  void HangUp();
  /// Hangs up, closes the slave and removes the link: the device is gone.
  void Unplug();
  /// After Unplug: a fresh pair, behind the same link if there is one.
  /// Returns IsOpen().
  bool Plug();

 private:
  void Open();
  /// Writes what the terminal takes of `bytes` and drops that from their
  /// front; true when none are left.
  bool WriteMore(std::string_view& bytes);

  int m_master = -1;
  int m_slave = -1;
  std::string m_slaveName;
  std::string m_link;
};

}  // namespace support
