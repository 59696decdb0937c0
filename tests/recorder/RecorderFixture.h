#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "recorder/Recorder.h"
#include "tests/support/DecodedFrames.h"
#include "tests/support/FakeSerialPlatform.h"
#include "tests/support/ProcessEnvironment.h"
#include "tests/support/ScratchDirectory.h"
#include "tools/LogReplay.h"

/// The frames that the log files in `dir` record, file after file in the
/// order of their names, which is the order of their start times.
inline std::vector<support::DecodedFrame> LoggedFrames(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".csv") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<support::DecodedFrame> frames;
  for (const auto& file : files) {
    sim::LogReplay replay;
    std::string error;
    EXPECT_TRUE(replay.Open(file.string(), error)) << error;
    while (const auto frame = replay.Next()) frames.emplace_back(frame->samples, frame->temperatures);
    EXPECT_EQ(replay.Malformed(), 0u) << file;
  }
  return frames;
}

/// A recorder on a scripted port named COM1, in UTC, on clocks that the test
/// sets, in a scratch directory; its notes and statuses are kept.
class RecorderTest : public testing::Test {
 protected:
  void SetUp() override {
    testenv::SetVariable("TZ", "UTC0");
    testenv::ReloadTimeZone();
    ports->AddPort(1);
  }

  rec::Recorder& Make(rec::RecordOptions options, logbook::LogWriter::WriteFunction write = {}) {
    options.device = "COM1";
    rec::RecorderDeps deps{std::make_unique<support::FakeSerialPlatform>(ports),
                           [this] { return now; },
                           [this] { return steady; },
                           std::move(write),
                           [this](const std::string& text) { notes.push_back(text); },
                           [this](const std::string& text) { statuses.push_back(text); }};
    recorder = std::make_unique<rec::Recorder>(std::move(options), std::move(deps));
    return *recorder;
  }

  /// The bytes arrive at the port, and the recorder takes them all.
  void Feed(const std::string& bytes) {
    ports->Feed(bytes);
    while (recorder->Step() && ports->Queued() > 0) {
    }
  }

  std::shared_ptr<support::FakeSerialState> ports = std::make_shared<support::FakeSerialState>();
  std::unique_ptr<rec::Recorder> recorder;
  std::time_t now = 1796652309;  // 2026-12-07 14:05:09 UTC
  std::chrono::steady_clock::time_point steady{};
  std::vector<std::string> notes, statuses;
  support::ScratchDirectory scratch;
};
