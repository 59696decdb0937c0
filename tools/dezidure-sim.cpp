// Simulated sensor board: streams sample frames to a pseudo-terminal or a
// device, so the program runs and is tested without hardware.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/BoardOutput.h"
#include "tools/SimOptions.h"
#include "tools/Simulator.h"
#include "tools/StopSignal.h"

namespace {

constexpr const char* kProgram = "dezidure-sim";

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return 1;
}

const char* Describe(sim::RunEnd end) {
  switch (end) {
    case sim::RunEnd::Finished:
      return "finished";
    case sim::RunEnd::Stopped:
      return "stopped";
    case sim::RunEnd::ReaderGone:
      return "reader closed the port";
    case sim::RunEnd::OutputFailed:
      return "output failed";
  }
  return "ended";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = sim::ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
    return 2;
  }
  if (options->help) {
    std::fputs(sim::HelpText(kProgram).c_str(), stdout);
    return 0;
  }

  sim::StopSignal::Install();
  auto output =
      options->device.empty() ? sim::BoardOutput::OpenPty(error) : sim::BoardOutput::OpenDevice(options->device, error);
  if (!output) {
    return Fail(error);
  }
  sim::Simulator simulator(*options, *output);
  if (!simulator.OpenRecord(error)) {
    return Fail(error);
  }
  if (output->IsPty()) {
    // The first line tells the caller which device to open.
    std::printf("%s\n", output->Path().c_str());
    std::fflush(stdout);
  }

  const sim::RunEnd end = simulator.Run();
  std::fprintf(stderr, "%s: %s after %llu frames, %llu bytes sent, %llu bytes dropped without a reader\n", kProgram,
               Describe(end), static_cast<unsigned long long>(simulator.FramesMade()),
               static_cast<unsigned long long>(simulator.BytesSent()),
               static_cast<unsigned long long>(simulator.BytesDropped()));
  if (end == sim::RunEnd::OutputFailed) {
    return Fail(simulator.Failure());
  }
  return 0;
}
