#pragma once

#include <chrono>
#include <string>

/// The console around the recorder, one file per platform: how a run is asked
/// to stop, and whether standard error is a terminal.
namespace rec {

/// Makes the usual ways of ending a console program ask the run to stop
/// instead of ending the process, so the last line reaches the file whole.
/// POSIX: SIGTERM, SIGINT and SIGHUP, each unless it was ignored when the
/// program started (as under nohup), and SIGPIPE is ignored, so a closed
/// standard error costs no line. Windows: Ctrl+C, Ctrl+Break, the console
/// closing, logoff and shutdown. Call once, at start.
void InstallStopRequests();

/// What asked the run to stop ("SIGTERM", "Ctrl+C", ...); empty while nothing has.
std::string StopRequest();

/// Sleeps for `span`, or until a stop is asked for.
void SleepUnlessStopped(std::chrono::milliseconds span);

/// Says that the run is over and its file closed. On Windows a console that
/// is closing waits in its handler until then (up to 5 s), since the process
/// ends as soon as the handler returns. Does nothing on POSIX.
void RunOver();

/// The width of the terminal that standard error writes to, in columns; 0
/// when standard error is not a terminal.
int StderrTerminalColumns();

}  // namespace rec
