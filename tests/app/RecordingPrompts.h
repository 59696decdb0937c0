#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "app/WindowPrompts.h"

/// Records the window's message boxes and beeps instead of showing them.
class RecordingPrompts : public app::WindowPrompts {
 public:
  struct Box {
    QString caption;
    QString text;
  };

  void ErrorBox(QWidget*, const QString& caption, const QString& text) override { boxes.push_back({caption, text}); }
  void MessageBeep() override { ++beeps; }
  void Tell(const QString& line) override { told.append(line); }

  std::vector<Box> boxes;
  int beeps = 0;
  QStringList told;  ///< lines meant for standard error
};
