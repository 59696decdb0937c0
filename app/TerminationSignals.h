#pragma once

class QWidget;

namespace app {

/// Makes SIGTERM, SIGINT and SIGHUP close `window` as the user would, so that a
/// running log is closed complete and the port released before the program
/// ends. Call once, after the window exists.
void CloseOnTerminationSignals(QWidget& window);

}  // namespace app
