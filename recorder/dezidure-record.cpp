// Program entry of the recorder: the command line, the console, and the run
// loop around rec::Recorder.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "recorder/Console.h"
#include "recorder/RecordOptions.h"
#include "recorder/RecordStatus.h"
#include "recorder/Recorder.h"

int main(int argc, char* argv[]) {
  const rec::RecordCommand command =
      rec::DecideRecordCommand(std::vector<std::string>(argv + 1, argv + argc), DEZIDURE_VERSION);
  if (command.decision.action != app::CommandAction::Run) {
    std::fputs(command.decision.text.c_str(), command.decision.exitCode == 0 ? stdout : stderr);
    return command.decision.exitCode;
  }
  // The lines' time of day follows the locale's time format, as the window's log does.
  std::setlocale(LC_TIME, "");
  rec::InstallStopRequests();

  rec::StatusLine out(
      [](const std::string& text) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
      },
      rec::StderrTerminalColumns);
  rec::RecorderDeps deps;
  deps.note = [&out](const std::string& text) { out.Note(text); };
  deps.status = [&out](const std::string& text) { out.Status(text); };
  rec::Recorder recorder(command.options, std::move(deps));

  std::string stoppedBy;
  const bool started = recorder.Start();
  if (started) {
    while (true) {
      stoppedBy = rec::StopRequest();
      if (!stoppedBy.empty()) break;
      const auto pause = recorder.Step();
      if (!pause) break;
      if (pause->count() > 0) rec::SleepUnlessStopped(*pause);
    }
  }
  const bool completed = recorder.Finish();
  if (!completed) out.Note(recorder.Failure());
  if (started) {
    const std::string how = !completed          ? std::string("ended")
                            : recorder.TimeUp() ? "done after " + rec::DurationText(*command.options.runFor)
                                                : "stopped by " + stoppedBy;
    out.Note(rec::EndText(how, recorder.Counts(), recorder.FilePath(), recorder.FileLines()));
  }
  out.Close();
  rec::RunOver();
  return completed ? 0 : 1;
}
