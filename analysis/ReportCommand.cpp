#include "analysis/ReportCommand.h"

#include <stdexcept>

#include "analysis/LogLoader.h"
#include "analysis/LogSession.h"
#include "analysis/LogTime.h"
#include "analysis/ReportOptions.h"
#include "analysis/SessionArrays.h"

namespace analysis {
namespace {

constexpr const char* kProgram = "dezidure-review: ";

bool TakeSpan(const std::string& option, const std::string& value, std::vector<TimeSpan>& spans,
              std::string& error) {
  std::string reason;
  const std::optional<TimeSpan> span = ParseSpan(value, reason);
  if (!span) {
    error = option + " " + value + ": " + reason;
    return false;
  }
  spans.push_back(*span);
  return true;
}

}  // namespace

bool AsksForReport(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--report") return true;
  return false;
}

std::optional<ReportRequest> ParseReportRequest(const std::vector<std::string>& args, std::string& error) {
  ReportRequest request;
  bool named = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    const bool takesValue = option == "--report" || option == "--quiet" || option == "--walk" || option == "--detector";
    if (!takesValue) {
      error = "unknown argument " + option;
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = option + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (option == "--report") {
      if (named) {
        error = "--report takes one log";
        return std::nullopt;
      }
      request.file = value;
      named = true;
    } else if (option == "--detector") {
      std::string reason;
      request.options.detector = ParseDetectorSettings(value, reason);
      if (!request.options.detector) {
        error = "--detector " + value + ": " + reason;
        return std::nullopt;
      }
    } else if (!TakeSpan(option, value, option == "--quiet" ? request.options.quiet : request.options.walks, error)) {
      return std::nullopt;
    }
  }
  return request;
}

int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err) {
  LogSession session(ParseLogFileName(request.file));
  uint64_t skipped = 0;
  std::string error;
  if (!ReadWholeLog(request.file, session, skipped, error)) {
    err << kProgram << error << '\n';
    return kReportFailed;
  }
  if (session.Frames() == 0) {
    err << kProgram << request.file << ": not a log of Dez Idure (no frame read; " << skipped << " lines skipped)\n";
    return kReportFailed;
  }
  // One channel's arrays at a time: a long log's whole set would take
  // several times the memory of the session itself.
  const uint64_t frames = session.Frames();
  const std::vector<double> times = FrameTimes(session, 0, frames);
  try {
    ReportBuilder report(request.options, MeasureFrameRate(times.data(), times.size()));
    for (int channel = 1; channel <= session.Channels(); ++channel) {
      const ChannelArrays arrays = ReadChannel(session, channel, 0, frames);
      report.AddChannel(Recording(arrays, times));
    }
    out << report.Json();
  } catch (const std::invalid_argument& refused) {
    err << kProgram << refused.what() << '\n';
    return kReportUsage;
  }
  if (skipped > 0) err << kProgram << request.file << ": " << skipped << " lines skipped\n";
  return kReportDone;
}

}  // namespace analysis
