#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "app/WindowPrompts.h"

namespace support {

/// Records the window's message boxes, beeps and lines for standard error
/// instead of showing them, so nothing blocks or prints.
class RecordingPrompts final : public app::WindowPrompts {
 public:
  struct Box {
    QString caption;
    QString text;
  };

  void ErrorBox(QWidget*, const QString& caption, const QString& text) override { boxes.push_back({caption, text}); }
  void MessageBeep() override { ++beeps; }
  void Tell(const QString& line) override { told.append(line); }

  /// The texts of all boxes, one a line: for failure messages.
  std::string BoxTexts() const {
    std::string texts;
    for (const Box& box : boxes) texts += box.text.toStdString() + "\n";
    return texts;
  }

  std::vector<Box> boxes;
  int beeps = 0;
  QStringList told;  ///< lines meant for standard error
};

}  // namespace support
