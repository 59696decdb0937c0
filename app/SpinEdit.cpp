#include "app/SpinEdit.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace app {

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  // Stepping and setting the value update the text with the editor's signals
  // blocked, while text typed out of range never becomes a value: watching
  // both covers every change, and comparing with the last text reports each once.
  connect(this, &QSpinBox::textChanged, this, [this] { NotifyIfChanged(); });
  connect(lineEdit(), &QLineEdit::textChanged, this, [this] { NotifyIfChanged(); });
  m_lastText = Text();
}

void SpinEdit::NotifyIfChanged() {
  const QString text = Text();
  if (text == m_lastText) return;
  m_lastText = text;
  if (OnChange) OnChange();
}

QString SpinEdit::Text() const { return lineEdit()->text(); }

void SpinEdit::SetText(const QString& text) { lineEdit()->setText(text); }

QValidator::State SpinEdit::validate(QString& input, int& pos) const {
  const QValidator::State state = QSpinBox::validate(input, pos);
  if (state != QValidator::Invalid) return state;
  static const QRegularExpression kInteger(QStringLiteral("^[+-]?[0-9]{0,10}$"));
  return kInteger.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

}  // namespace app
