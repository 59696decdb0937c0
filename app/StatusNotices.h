#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace app {

/// Who has something to say in the status bar's last panel.
enum class NoticeSource : uint8_t { Port, Log };

/// How much a notice matters: a problem the user must act on or know about
/// outranks a report of how things stand.
enum class Urgency : uint8_t { State, Problem };

/// The one line the status bar's last panel shows. Each source keeps at most
/// one notice; the panel shows the most urgent, and among equally urgent ones
/// the one set last, so a fresh problem is never hidden behind an old report.
class StatusNotices {
 public:
  /// Replaces the source's notice. An empty text clears it.
  void Set(NoticeSource source, Urgency urgency, std::string text);
  void Clear(NoticeSource source);
  /// Rewrites the source's notice (a countdown, say) keeping its urgency and
  /// its place among equals, so a refresh never hides a newer notice. Does
  /// nothing when the source has no notice.
  void Refresh(NoticeSource source, std::string text);

  /// The text to show now; empty when no source has a notice.
  const std::string& Current() const;

 private:
  struct Notice {
    std::string text;
    Urgency urgency = Urgency::State;
    uint64_t order = 0;  ///< when it was set; later is larger
  };
  std::array<Notice, 2> m_notices;
  uint64_t m_nextOrder = 1;
};

}  // namespace app
