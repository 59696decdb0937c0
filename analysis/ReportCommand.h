#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/Report.h"

namespace analysis {

/// What `--report FILE.csv [--quiet FROM-TO ...] [--walk FROM-TO ...]
/// [--detector SETTINGS]` asks for.
struct ReportRequest {
  std::string file;
  ReportOptions options;
};

/// Exit codes of the headless report, as command-line tools have them.
constexpr int kReportDone = 0;
constexpr int kReportFailed = 1;  ///< the log could not be read or is no log
constexpr int kReportUsage = 2;

/// Whether the arguments (without the program's name) ask for the report.
bool AsksForReport(const std::vector<std::string>& args);

/// The request that the arguments (without the program's name) make;
/// nothing, with what is wrong in error, for a usage error: no or two files,
/// an option without its value, an unknown option, a malformed span or
/// detector setting.
std::optional<ReportRequest> ParseReportRequest(const std::vector<std::string>& args, std::string& error);

/// Reads the whole log and writes its report as JSON to `out`. Returns the
/// exit code; a failure's reason goes to `err` as one line.
int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace analysis
