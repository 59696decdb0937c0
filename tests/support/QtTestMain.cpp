// Runs GoogleTest cases that need a QApplication, without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/ProcessEnvironment.h"

// Under AddressSanitizer, freed blocks wait in a quarantine of up to 256 MiB
// by default, which would pass for growth in the memory-flatness checks;
// a small one still catches use after free. Unused without the sanitizer.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=8"; }

int main(int argc, char** argv) {
  testenv::SetVariable("QT_QPA_PLATFORM", "offscreen", false);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
