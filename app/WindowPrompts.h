#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace app {

/// The window's only ways to interrupt the user: modal error boxes and the
/// system beep. Tests replace them with a recorder so nothing blocks.
class WindowPrompts {
 public:
  virtual ~WindowPrompts() = default;

  /// A modal box with an error icon and one OK button; returns when dismissed.
  virtual void ErrorBox(QWidget* parent, const QString& caption, const QString& text) = 0;

  /// The system's default alert sound.
  virtual void MessageBeep() = 0;
};

/// Real modal boxes and the real beep.
std::unique_ptr<WindowPrompts> MakeDesktopPrompts();

}  // namespace app
