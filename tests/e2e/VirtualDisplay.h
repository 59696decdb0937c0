#pragma once

#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"

namespace e2e {

/// An Xvfb server of our own on a display number of its choosing, answering
/// X clients by the time the constructor returns; stopped with the object.
class VirtualDisplay {
 public:
  VirtualDisplay();

  /// The display number ("2" for :2); empty when no server came up.
  const std::string& Number() const { return m_number; }
  /// Why no server came up, one reason per attempt; empty when one did.
  const std::string& Failure() const { return m_failure; }

 private:
  /// The reason the server just started cannot be used at `number`, or ""
  /// when it is ours and answers there.
  std::string Refusal(const std::string& number);

  std::unique_ptr<support::ChildProcess> m_server;
  std::string m_number;
  std::string m_failure;
};

}  // namespace e2e
