// Simulated sensor board: streams sample frames to a pseudo-terminal or a
// device, so the program runs and is tested without hardware.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/BoardOutput.h"
#include "tools/LogReplay.h"
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

// How the run ended and what it sent. Bytes made while no program had the
// port open are only worth a word when there were some.
void ReportRun(sim::RunEnd end, const sim::Simulator& simulator) {
  std::fprintf(stderr, "%s: %s after %llu frames, %llu bytes sent", kProgram, Describe(end),
               static_cast<unsigned long long>(simulator.FramesMade()),
               static_cast<unsigned long long>(simulator.BytesSent()));
  if (simulator.BytesDropped() > 0) {
    std::fprintf(stderr, "; %llu more bytes were not sent because no program was reading the port",
                 static_cast<unsigned long long>(simulator.BytesDropped()));
  }
  std::fputs("\n", stderr);
}

// What a replay read: the lines, and the malformed ones it skipped.
void ReportReplay(const std::string& path, const sim::LogReplay& replay) {
  std::fprintf(stderr, "%s: %s: %llu lines read, %llu malformed skipped", kProgram, path.c_str(),
               static_cast<unsigned long long>(replay.Lines()), static_cast<unsigned long long>(replay.Malformed()));
  if (replay.Malformed() > 0) {
    std::fprintf(stderr, " (the first is line %llu)", static_cast<unsigned long long>(replay.FirstMalformedLine()));
  }
  std::fputs("\n", stderr);
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
  sim::LogReplay replay;
  if (!options->replay.empty() && !replay.Open(options->replay, error)) {
    return Fail(error);
  }
  sim::Simulator simulator(*options, *output, options->replay.empty() ? nullptr : sim::ReplayedFrames(replay));
  if (!simulator.OpenRecord(error)) {
    return Fail(error);
  }
  if (output->IsPty()) {
    // The first line tells the caller which device to open.
    std::printf("%s\n", output->Path().c_str());
    std::fflush(stdout);
  }

  const sim::RunEnd end = simulator.Run();
  ReportRun(end, simulator);
  if (!options->replay.empty()) {
    ReportReplay(options->replay, replay);
  }
  if (end == sim::RunEnd::OutputFailed) {
    return Fail(simulator.Failure());
  }
  return replay.ReadError() ? Fail("cannot read " + options->replay) : 0;
}
