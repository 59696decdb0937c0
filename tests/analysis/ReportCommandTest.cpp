#include "analysis/ReportCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/LogText.h"
#include "tests/support/ScratchDirectory.h"

namespace {

struct Outcome {
  int code;
  std::string out, err;
};

Outcome RunCommand(const std::vector<std::string>& args) {
  std::string error;
  const auto request = analysis::ParseReportRequest(args, error);
  if (!request) return {analysis::kReportUsage, "", error};
  std::ostringstream out, err;
  const int code = analysis::RunReport(*request, out, err);
  return {code, out.str(), err.str()};
}

// The command line's contract for lab scripts: usage errors exit 2, a log
// that cannot be read or is none exits 1 with the reason, a log gives its
// figures as JSON.
TEST(ReportCommand, ExitsByTheConventionAndReportsEveryChannelOfALog) {
  support::ScratchDirectory scratch;
  {
    std::ofstream log("2026-12-08_14-00-00.csv", std::ios::binary);
    support::WriteSyntheticLog(log, {14 * 3600, 12, 333, 3, true});
    std::ofstream("notes.csv") << "a shopping list\r\n";
  }
  const struct {
    std::vector<std::string> args;
    int code;
    std::string errStart;
  } cases[] = {
      {{"--report"}, analysis::kReportUsage, "--report needs a value"},
      {{"--report", "a.csv", "--report", "b.csv"}, analysis::kReportUsage, "--report takes one log"},
      {{"--report", "a.csv", "--quiet", "9-3"}, analysis::kReportUsage, "--quiet 9-3: "},
      {{"--report", "a.csv", "--detector", "pulses=0"}, analysis::kReportUsage, "--detector pulses=0: "},
      {{"--report", "a.csv", "--zoom"}, analysis::kReportUsage, "unknown argument --zoom"},
      {{"--report", "2026-12-08_14-00-00.csv", "--detector", "threshold=3xrms"}, analysis::kReportUsage,
       "dezidure-review: a detector threshold in quiet RMS"},
      {{"--report", "missing.csv"}, analysis::kReportFailed, "dezidure-review: "},
      {{"--report", "notes.csv"}, analysis::kReportFailed, "dezidure-review: notes.csv: not a log"},
      {{"--report", "2026-12-08_14-00-00.csv", "--quiet", "1-5", "--walk", "6-9", "--detector", "threshold=3xrms"},
       analysis::kReportDone, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Outcome outcome = RunCommand(c.args);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.err.substr(0, c.errStart.size()), c.errStart);
    if (c.code != analysis::kReportDone) continue;
    const nlohmann::json report = nlohmann::json::parse(outcome.out);
    ASSERT_EQ(report["channels"].size(), 3u);
    EXPECT_EQ(report["channels"][2]["dc"]["n"].get<int>(), 12 * 333);
    EXPECT_NEAR(report["frame_rate_hz"].get<double>(), 333, 1);
  }
}

}  // namespace
