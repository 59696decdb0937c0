#include "tools/Simulator.h"

#include <algorithm>
#include <cstring>

#include "tools/Pacing.h"
#include "tools/Probe.h"

namespace sim {

namespace {

constexpr size_t kFloodBatch = 4096;
constexpr std::chrono::milliseconds kIdlePoll{10};
constexpr std::chrono::milliseconds kMaxPiecePause{1};
constexpr std::chrono::milliseconds kDrainLimit{2000};
constexpr std::chrono::milliseconds kReaderSettle{300};

}  // namespace

Simulator::Clock::time_point SaturatingAdd(Simulator::Clock::time_point start, std::chrono::nanoseconds offset) {
  const auto room = Simulator::Clock::time_point::max() - start;
  if (offset >= room) {
    return Simulator::Clock::time_point::max();
  }
  return start + std::chrono::duration_cast<Simulator::Clock::duration>(offset);
}

Simulator::Simulator(const SimOptions& options, BoardOutput& output) : Simulator(options, output, nullptr) {}

Simulator::Simulator(const SimOptions& options, BoardOutput& output, FrameSource source)
    : m_options(options), m_output(output), m_generator(options.board, options.faults, options.truth), m_source(std::move(source)) {
  if (!m_source) m_source = [this] { return &m_generator.Next(); };
}

bool Simulator::OpenRecord(std::string& error) {
  const auto open = [&error](std::ofstream& file, const std::string& path) {
    if (path.empty()) {
      return true;
    }
    file.open(path, std::ios::binary | std::ios::trunc);
    if (!file) {
      error = "cannot create " + path + ": " + std::strerror(errno);
    }
    return static_cast<bool>(file);
  };
  return open(m_record, m_options.record) && open(m_probeLog, m_options.probeLog);
}

RunEnd Simulator::Run() {
  if (m_options.waitForReader && !WaitForReader()) {
    return RunEnd::Stopped;
  }
  m_start = Clock::now();
  m_nextProbe = m_start;
  m_deadline = Clock::time_point::max();
  if (m_options.durationSeconds) {
    const std::chrono::duration<double> seconds(*m_options.durationSeconds);
    m_deadline = SaturatingAdd(m_start, std::chrono::duration_cast<std::chrono::nanoseconds>(seconds));
  }

  RunEnd end = RunEnd::Finished;
  if (m_options.flood) {
    end = RunFlood();
  } else if (m_options.chunk > 0 || m_options.interval.count() > 0) {
    end = RunChunked();
  } else {
    end = RunWholeFrames();
  }
  if (m_record.is_open()) {
    m_record.flush();
    if (!m_record && end != RunEnd::OutputFailed) {
      m_failure = "cannot write " + m_options.record;
      end = RunEnd::OutputFailed;
    }
  }
  if (end == RunEnd::Finished) {
    m_output.WaitUntilRead(kDrainLimit);
  }
  return end;
}

bool Simulator::FrameLimitReached() const { return m_sourceEnded || (m_options.frames && m_made >= *m_options.frames); }

const Emission* Simulator::NextFrame() {
  // Only generated frames are made probes; options refuse a probe log with a replay.
  const bool probe = m_probeLog.is_open() && Clock::now() >= m_nextProbe;
  if (probe) {
    m_generator.ProbeNext();
    m_nextProbe = Clock::now() + kProbeSpacing;
  }
  const Emission* emission = m_source();
  if (!emission) {
    m_sourceEnded = true;
    return nullptr;
  }
  ++m_made;
  m_bytesMade += emission->bytes.size();
  if (probe) {
    m_probeEnds.push_back(m_bytesMade);
  }
  return emission;
}

void Simulator::LogProbesSent(bool written) {
  while (!m_probeEnds.empty() && m_probeEnds.front() <= m_bytesHandled) {
    m_probeEnds.pop_front();
    // A probe dropped for want of a reader never reached the port.
    if (written) {
      const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
      m_probeLog << now.count() << '\n' << std::flush;
    }
  }
}

bool Simulator::WaitForReader() {
  // The program opens the port, closes it while it probes the others, opens
  // it again and purges its input each time: a reader that has kept the port
  // open for a while is done with that and reads every byte from now on.
  std::optional<Clock::time_point> present;
  while (true) {
    const auto now = Clock::now();
    if (!m_output.HasReader()) {
      present.reset();
    } else if (!present) {
      present = now;
    } else if (now - *present >= kReaderSettle) {
      break;
    }
    if (!StopSignal::SleepUntil(now + kIdlePoll)) {
      return false;
    }
  }
  m_readerSeen = true;
  return true;
}

RunEnd Simulator::RunWholeFrames() {
  const auto period = FrameDue(1, m_options.rate);
  const auto pause = std::min<Clock::duration>(kMaxPiecePause, period / 4);
  while (!FrameLimitReached()) {
    const auto due = SaturatingAdd(m_start, FrameDue(m_made, m_options.rate));
    if (due > m_deadline) {
      return StopSignal::SleepUntil(m_deadline) ? RunEnd::Finished : RunEnd::Stopped;
    }
    if (!StopSignal::SleepUntil(due)) {
      return RunEnd::Stopped;
    }
    const Emission* emission = NextFrame();
    if (!emission) {
      return RunEnd::Finished;
    }
    if (const auto end = SendEmission(*emission, pause)) {
      return *end;
    }
  }
  return RunEnd::Finished;
}

RunEnd Simulator::RunChunked() {
  // Like a USB serial adapter: frames collect at their own pace and go out in
  // pieces of `chunk` bytes, either as soon as a piece is full or on each
  // tick of the adapter's timer. A remainder smaller than a piece waits for
  // the next tick, and goes out at the end of the run.
  std::string pending;
  uint64_t tick = 0;
  while (true) {
    const bool timed = m_options.interval.count() > 0;
    const auto offset = timed ? TickDue(tick, m_options.interval) : FrameDue(m_made, m_options.rate);
    const auto due = std::min(SaturatingAdd(m_start, offset), m_deadline);
    if (!StopSignal::SleepUntil(due)) {
      return RunEnd::Stopped;
    }
    ++tick;
    uint64_t target = FramesDueBy(due - m_start, m_options.rate);
    if (m_options.frames) {
      target = std::min(target, *m_options.frames);
    }
    while (m_made < target) {
      const Emission* emission = NextFrame();
      if (!emission) {
        break;
      }
      pending += emission->bytes;
    }
    const bool last = FrameLimitReached() || due >= m_deadline;
    const size_t whole = m_options.chunk == 0 ? pending.size() : pending.size() / m_options.chunk * m_options.chunk;
    const size_t sendNow = last ? pending.size() : whole;
    const auto end = SendPieces(std::string_view(pending).substr(0, sendNow), m_options.chunk);
    pending.erase(0, sendNow);
    if (end) {
      return *end;
    }
    if (last) {
      return RunEnd::Finished;
    }
  }
}

RunEnd Simulator::RunFlood() {
  std::string batch;
  while (!FrameLimitReached() && Clock::now() < m_deadline) {
    bool reader = false;
    if (const auto end = CheckReader(reader)) {
      return *end;
    }
    // Nobody to flood yet: wait for a reader without spinning.
    if (!reader) {
      if (!StopSignal::SleepUntil(Clock::now() + kIdlePoll)) {
        return RunEnd::Stopped;
      }
      continue;
    }
    batch.clear();
    while (batch.size() < kFloodBatch && !FrameLimitReached()) {
      if (const Emission* emission = NextFrame()) {
        batch += emission->bytes;
      }
    }
    if (const auto end = SendPieces(batch, m_options.chunk)) {
      return *end;
    }
  }
  return StopSignal::Requested() ? RunEnd::Stopped : RunEnd::Finished;
}

std::optional<RunEnd> Simulator::SendEmission(const Emission& emission, Clock::duration piecePause) {
  size_t from = 0;
  for (const size_t split : emission.splits) {
    if (const auto end = Send(std::string_view(emission.bytes).substr(from, split - from))) {
      return end;
    }
    from = split;
    // A short pause makes it likely that the reader sees the pieces apart.
    if (!StopSignal::SleepUntil(Clock::now() + piecePause)) {
      return RunEnd::Stopped;
    }
  }
  return Send(std::string_view(emission.bytes).substr(from));
}

std::optional<RunEnd> Simulator::SendPieces(std::string_view bytes, size_t chunk) {
  if (chunk == 0) {
    return bytes.empty() ? std::nullopt : Send(bytes);
  }
  while (!bytes.empty()) {
    const size_t take = std::min(chunk, bytes.size());
    if (const auto end = Send(bytes.substr(0, take))) {
      return end;
    }
    bytes.remove_prefix(take);
  }
  return std::nullopt;
}

std::optional<RunEnd> Simulator::Send(std::string_view bytes) {
  bool reader = false;
  if (const auto end = CheckReader(reader)) {
    return end;
  }
  m_bytesHandled += bytes.size();
  if (!reader) {
    m_dropped += bytes.size();
    LogProbesSent(false);
    return std::nullopt;
  }
  const WriteStatus status = m_output.Write(bytes);
  const size_t written = m_output.LastWritten();
  m_bytesSent += written;
  m_dropped += bytes.size() - written;
  LogProbesSent(written == bytes.size());
  if (m_record.is_open() && !m_record.write(bytes.data(), static_cast<std::streamsize>(written))) {
    m_failure = "cannot write " + m_options.record;
    return RunEnd::OutputFailed;
  }
  switch (status) {
    case WriteStatus::Written:
    case WriteStatus::NoReader:
      return std::nullopt;
    case WriteStatus::Stopped:
      return RunEnd::Stopped;
    case WriteStatus::Failed:
      m_failure = "cannot write " + m_output.Path() + ": " + std::strerror(m_output.Error());
      return RunEnd::OutputFailed;
  }
  return std::nullopt;
}

std::optional<RunEnd> Simulator::CheckReader(bool& reader) {
  reader = m_output.HasReader();
  if (reader) {
    m_readerSeen = true;
    m_readerLeft.reset();
    return std::nullopt;
  }
  if (!m_options.exitOnHangup || !m_readerSeen) {
    return std::nullopt;
  }
  const auto now = Clock::now();
  if (!m_readerLeft) {
    m_readerLeft = now;
  }
  // The program closes and reopens the port while it probes and switches
  // ports; only a reader that stays away ends the run.
  if (now - *m_readerLeft >= m_options.hangupGrace) {
    return RunEnd::ReaderGone;
  }
  return std::nullopt;
}

}  // namespace sim
