// Runs the benchmarks with a window toolkit that needs no display, prints the
// usual table to standard error and one headline per figure to standard output.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "bench/Figures.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::FigureReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const std::string& figure : reporter.Figures()) std::cout << figure << '\n';
  return 0;
}
