#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace app {

/// The window's ways to reach the user beyond its own controls: modal error
/// boxes, the system beep and one-line reports on standard error. Tests
/// replace them with a recorder so nothing blocks or prints.
class WindowPrompts {
 public:
  virtual ~WindowPrompts() = default;

  /// A modal box with an error icon and one OK button; returns when dismissed.
  virtual void ErrorBox(QWidget* parent, const QString& caption, const QString& text) = 0;

  /// The system's default alert sound.
  virtual void MessageBeep() = 0;

  /// One line for a user watching the terminal: standard error, after the
  /// program's name ("dezidure: COM1 (/dev/ttyUSB0): not present").
  virtual void Tell(const QString& line) = 0;
};

/// Real modal boxes and the real beep.
std::unique_ptr<WindowPrompts> MakeDesktopPrompts();

}  // namespace app
