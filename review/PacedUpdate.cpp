#include "review/PacedUpdate.h"

namespace review {

PacedUpdate::PacedUpdate(int intervalMs, std::function<bool()> update)
    : m_intervalMs(intervalMs), m_update(std::move(update)) {
  m_delay.setSingleShot(true);
  QObject::connect(&m_delay, &QTimer::timeout, [this] { Run(); });
}

void PacedUpdate::Request() {
  if (m_delay.isActive()) return;
  const qint64 since = m_sinceRun.isValid() ? m_sinceRun.elapsed() : m_intervalMs;
  if (since >= m_intervalMs) {
    Run();
    return;
  }
  m_delay.start(static_cast<int>(m_intervalMs - since));
}

void PacedUpdate::Flush() {
  if (!m_delay.isActive()) return;
  m_delay.stop();
  Run();
}

void PacedUpdate::Run() {
  if (m_update()) m_sinceRun.start();
}

}  // namespace review
