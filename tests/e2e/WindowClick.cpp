#include "WindowClick.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace e2e {

using namespace std::chrono_literals;
using support::ChildProcess;

bool ClickWindow(const std::string& display, pid_t program, int x, int up) {
  const std::vector<std::string> env = {"DISPLAY=:" + display};
  ChildProcess search({XDOTOOL_BIN, "search", "--onlyvisible", "--pid", std::to_string(program)}, env);
  const std::string window = search.ReadLine(5s);
  if (window.empty()) return false;
  ChildProcess geometry({XDOTOOL_BIN, "getwindowgeometry", "--shell", window}, env);
  std::map<std::string, int> value;
  for (std::string line = geometry.ReadLine(5s); !line.empty(); line = geometry.ReadLine(1s)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) value[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
  }
  ChildProcess click({XDOTOOL_BIN, "mousemove", std::to_string(value["X"] + x),
                      std::to_string(value["Y"] + value["HEIGHT"] - up), "click", "1"},
                     env);
  int status = -1;
  return click.WaitExit(5s, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool PressKeys(const std::string& display, const std::string& title, const std::string& keys) {
  // Found by title rather than process: under wine the window belongs to another process than the one started.
  ChildProcess press({XDOTOOL_BIN, "search", "--onlyvisible", "--name", title, "windowfocus", "key", keys},
                     {"DISPLAY=:" + display});
  int status = -1;
  return press.WaitExit(5s, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace e2e
