#pragma once

class QWidget;

namespace app {

/// Makes SIGTERM, SIGINT and SIGHUP close `window` as the user would, so that a
/// running log is closed complete and the port released before the program
/// ends; a signal that the program was started with ignored stays ignored. On Windows the console's Ctrl+C, Ctrl+Break and close events, and
/// the end of the session, do the same. Call once, after the window exists.
void CloseOnTerminationSignals(QWidget& window);

}  // namespace app
