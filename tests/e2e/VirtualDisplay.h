#pragma once

#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"

namespace e2e {

/// An Xvfb server on a display number of its own choosing, answering X
/// clients by the time the constructor returns; stopped with the object.
class VirtualDisplay {
 public:
  VirtualDisplay();

  /// The display number ("2" for :2); empty when no server came up.
  const std::string& Number() const { return m_number; }

 private:
  std::unique_ptr<support::ChildProcess> m_server;
  std::string m_number;
};

}  // namespace e2e
