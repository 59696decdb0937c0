#include <gtest/gtest.h>

#include "app/StatusNotices.h"

namespace {

using app::NoticeSource;
using app::Urgency;

TEST(StatusNotices, ShowsTheMostUrgentThenTheLatest) {
  struct Step {
    NoticeSource source;
    Urgency urgency;
    const char* text;  // empty: clear
    const char* shown;
  };
  const Step steps[] = {
      {NoticeSource::Port, Urgency::State, "COM1 open", "COM1 open"},
      {NoticeSource::Log, Urgency::State, "log running", "log running"},
      {NoticeSource::Port, Urgency::State, "COM1 reopened", "COM1 reopened"},
      {NoticeSource::Port, Urgency::Problem, "COM1 gone", "COM1 gone"},
      {NoticeSource::Log, Urgency::State, "log 1:59 left", "COM1 gone"},
      {NoticeSource::Log, Urgency::Problem, "log stopped", "log stopped"},
      {NoticeSource::Log, Urgency::State, "", "COM1 gone"},
      {NoticeSource::Port, Urgency::State, "", ""},
  };
  app::StatusNotices notices;
  for (const Step& step : steps) {
    notices.Set(step.source, step.urgency, step.text);
    EXPECT_EQ(notices.Current(), step.shown) << "after setting '" << step.text << "'";
  }
}

TEST(StatusNotices, ARefreshKeepsItsPlaceBehindANewerNotice) {
  app::StatusNotices notices;
  notices.Refresh(NoticeSource::Log, "nothing to refresh");
  EXPECT_EQ(notices.Current(), "");
  notices.Set(NoticeSource::Log, Urgency::State, "log 2:00 left");
  notices.Set(NoticeSource::Port, Urgency::State, "COM1 reopened");
  notices.Refresh(NoticeSource::Log, "log 1:59 left");
  EXPECT_EQ(notices.Current(), "COM1 reopened");
  notices.Clear(NoticeSource::Port);
  EXPECT_EQ(notices.Current(), "log 1:59 left");
}

}  // namespace
