#include "app/StatusNotices.h"

#include <utility>

namespace app {

void StatusNotices::Set(NoticeSource source, Urgency urgency, std::string text) {
  Notice& notice = m_notices[static_cast<size_t>(source)];
  notice.order = text.empty() ? 0 : m_nextOrder++;
  notice.text = std::move(text);
  notice.urgency = urgency;
}

void StatusNotices::Clear(NoticeSource source) { Set(source, Urgency::State, {}); }

void StatusNotices::Refresh(NoticeSource source, std::string text) {
  Notice& notice = m_notices[static_cast<size_t>(source)];
  if (notice.text.empty() || text.empty()) return;
  notice.text = std::move(text);
}

const std::string& StatusNotices::Current() const {
  const Notice* shown = nullptr;
  for (const Notice& notice : m_notices) {
    if (notice.text.empty()) continue;
    if (!shown || notice.urgency > shown->urgency || (notice.urgency == shown->urgency && notice.order > shown->order))
      shown = &notice;
  }
  static const std::string kNothing;
  return shown ? shown->text : kNothing;
}

}  // namespace app
