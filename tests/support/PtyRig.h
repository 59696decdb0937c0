#pragma once

#include <QCheckBox>

#include "tests/support/PtyPair.h"
#include "tests/support/RecordedWindow.h"
#include "tests/support/ScratchDirectory.h"

namespace support {

/// The receive path as the program runs it, fed from the test: a started
/// window reading a pseudo-terminal as COM1 and writing its logs into a
/// scratch directory, the current one while the rig lives.
struct PtyRig {
  /// Starts the log as the user does: the first statistics tick enables its box.
  void StartLog() {
    window.Window().Timer2Timer();
    window.Window().CheckBoxLog->setChecked(true);
  }

  PtyPair pty;
  ScratchDirectory logs;
  RecordedWindow window = StartOnDevices({pty.Path()});
};

}  // namespace support
