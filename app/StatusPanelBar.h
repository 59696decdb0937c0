#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

namespace app {

/// A status bar of ten side-by-side panels, each with its own text and width.
/// A panel of width 0 is not shown; the last panel always reaches the right
/// end of the bar. A click anywhere on the bar calls OnClick.
class StatusPanelBar : public QWidget {
 public:
  static constexpr int kPanelCount = 10;

  explicit StatusPanelBar(QWidget* parent);

  int PanelWidth(int panel) const { return m_panels.at(static_cast<size_t>(panel)).width; }
  const QString& PanelText(int panel) const { return m_panels.at(static_cast<size_t>(panel)).text; }
  void SetPanelWidth(int panel, int width);
  void SetPanelText(int panel, const QString& text);

  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Panel {
    QString text;
    int width = 0;
  };
  QRect PanelRect(int panel) const;

  std::array<Panel, kPanelCount> m_panels;
};

}  // namespace app
