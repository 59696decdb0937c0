#pragma once

#include <cstdint>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/BoardOutput.h"
#include "tools/FrameGenerator.h"
#include "tools/SimOptions.h"
#include "tools/StopSignal.h"

namespace sim {

// Why a run ended.
enum class RunEnd {
  Finished,      // the frame count or the duration was reached
  Stopped,       // a stop was requested (SIGINT, SIGTERM)
  ReaderGone,    // the reader closed the pseudo-terminal (--exit-on-hangup)
  OutputFailed,  // the device or the record file failed
};

// Streams the generator's frames to the output at the board's pace (or as
// configured), until the options' limits, a stop, or a failure end it.
class Simulator {
 public:
  using Clock = StopSignal::Clock;

  // Sends the frames of the generator the options describe.
  Simulator(const SimOptions& options, BoardOutput& output);
  // Sends the frames of `source` until it has no more.
  Simulator(const SimOptions& options, BoardOutput& output, FrameSource source);

  // Opens the record file and the probe log, if any; false with the reason
  // in error on failure.
  bool OpenRecord(std::string& error);

  RunEnd Run();

  uint64_t FramesMade() const { return m_made; }
  // Bytes not sent because nobody was reading.
  uint64_t BytesDropped() const { return m_dropped; }
  uint64_t BytesSent() const { return m_bytesSent; }

  // The reason of an OutputFailed end.
  const std::string& Failure() const { return m_failure; }

 private:
  bool FrameLimitReached() const;
  // The next frame from the source, counted and made a probe when one is
  // due; null when the source has no more.
  const Emission* NextFrame();
  // Notes the probes whose last byte is among the bytes handed over so far.
  void LogProbesSent(bool written);
  bool WaitForReader();
  RunEnd RunWholeFrames();
  RunEnd RunChunked();
  RunEnd RunFlood();
  // Each of these returns nothing to go on, or why the run ends.
  std::optional<RunEnd> Send(std::string_view bytes);
  std::optional<RunEnd> SendPieces(std::string_view bytes, size_t chunk);
  std::optional<RunEnd> SendEmission(const Emission& emission, Clock::duration piecePause);
  std::optional<RunEnd> CheckReader(bool& reader);

  SimOptions m_options;
  BoardOutput& m_output;
  FrameGenerator m_generator;
  FrameSource m_source;
  uint64_t m_made = 0;
  bool m_sourceEnded = false;
  std::ofstream m_record;
  std::ofstream m_probeLog;
  Clock::time_point m_nextProbe;
  std::deque<uint64_t> m_probeEnds;  // stream offsets just past each pending probe
  uint64_t m_bytesMade = 0;          // bytes generated so far
  uint64_t m_bytesHandled = 0;       // of these, bytes sent or dropped
  Clock::time_point m_start;
  Clock::time_point m_deadline;
  std::optional<Clock::time_point> m_readerLeft;
  bool m_readerSeen = false;
  uint64_t m_dropped = 0;
  uint64_t m_bytesSent = 0;
  std::string m_failure;
};

// start + offset, saturating at the clock's end instead of overflowing.
Simulator::Clock::time_point SaturatingAdd(Simulator::Clock::time_point start, std::chrono::nanoseconds offset);

}  // namespace sim
