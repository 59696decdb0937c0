// The real program pointed at an X display where no server answers: it ends
// with a one-line reason and exit 1, as with no display at all, not with the
// toolkit's abort.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/Waiting.h"

namespace {

TEST(UnreachableDisplay, EndsWithOneLineAndExitOne) {
  // Display 65000 has no server on any machine in practice; its standard
  // error is read through standard output.
  const std::string script = "unset QT_QPA_PLATFORM WAYLAND_DISPLAY; exec \"$0\" 2>&1";
  support::ChildProcess program({"/bin/sh", "-c", script, DEZIDURE_BIN}, {"DISPLAY=:65000"});
  const std::string line = program.ReadLine(support::kPatience);
  EXPECT_NE(line.find("cannot reach the display :65000"), std::string::npos) << line;
  int status = -1;
  ASSERT_TRUE(program.WaitExit(support::kPatience, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "exit status " << status;
  EXPECT_EQ(program.ReadLine(support::kPatience), "") << "more than one line";
}

}  // namespace
