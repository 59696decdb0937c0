#pragma once

#include <QSpinBox>
#include <functional>

namespace app {

/// A spin box whose text may be any integer while the user types; it is
/// brought back into range only when the box loses focus or is stepped.
/// OnChange runs on every change of the text, typed, stepped or set by code.
class SpinEdit : public QSpinBox {
 public:
  explicit SpinEdit(QWidget* parent);

  /// The text as it stands, possibly out of range or not a number.
  QString Text() const;
  /// Replaces the text as if typed.
  void SetText(const QString& text);

  std::function<void()> OnChange;

 protected:
  QValidator::State validate(QString& input, int& pos) const override;

 private:
  void NotifyIfChanged();

  QString m_lastText;
};

}  // namespace app
