#include "recorder/Recorder.h"

#include <cctype>
#include <utility>

#include "app/PortReport.h"
#include "logging/FrameLine.h"
#include "logging/LogFilePlatform.h"
#include "logging/LogNotices.h"
#include "recorder/Rotation.h"
#include "serial/CommSettings.h"

namespace rec {

namespace {

logbook::LogWriter::Clock SteadyOrGiven(logbook::LogWriter::Clock clock) {
  return clock ? std::move(clock) : [] { return std::chrono::steady_clock::now(); };
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  // Windows takes '/' as well.
  return last == '/' || last == '\\' ? directory + name : directory + "/" + name;
}

}  // namespace

std::string PortDevice(const std::string& given, const comm::SerialPlatform& platform) {
  const bool comName = given.size() == 4 && std::toupper(static_cast<unsigned char>(given[0])) == 'C' &&
                       std::toupper(static_cast<unsigned char>(given[1])) == 'O' &&
                       std::toupper(static_cast<unsigned char>(given[2])) == 'M' && given[3] >= '1' && given[3] <= '9';
  if (!comName) return given;
  const std::string device = platform.DeviceName(static_cast<uint8_t>(given[3] - '0'));
  return device.empty() ? given : device;
}

Recorder::Recorder(RecordOptions options, RecorderDeps deps)
    : m_options(std::move(options)),
      m_platform(deps.platform ? std::move(deps.platform) : comm::MakeSystemSerialPlatform()),
      m_wallClock(deps.wallClock ? std::move(deps.wallClock) : logbook::SystemClock()),
      m_steadyClock(SteadyOrGiven(std::move(deps.steadyClock))),
      m_note(std::move(deps.note)),
      m_status(std::move(deps.status)),
      m_log(std::move(deps.logWrite), m_steadyClock),
      m_timeOfDay(m_wallClock),
      m_chunk(kReadBytes) {}

Recorder::~Recorder() {
  if (m_portOpen) m_platform->Close();
}

bool Recorder::Start() {
  m_device = PortDevice(m_options.device, *m_platform);
  if (const std::string refused = OpenPort(); !refused.empty()) {
    Fail(m_device + ": " + refused);
    return false;
  }
  const std::time_t now = m_wallClock();
  if (!OpenFile(now)) return false;
  if (m_note) m_note(StartText(m_device, m_options, m_filePath));
  NoteOtherReaders();
  if (m_options.rotate) m_nextBoundary = NextBoundary(now, *m_options.rotate);
  const auto started = m_steadyClock();
  m_nextStatus = started + kStatusEvery;
  if (m_options.runFor) m_end = started + *m_options.runFor;
  return true;
}

std::string Recorder::OpenPort() {
  if (!m_platform->Open(m_device)) {
    return m_platform->OpenFailureText(m_device, comm::SerialPlatform::LastError());
  }
  comm::LineSettings line = comm::BoardLineSettings();
  line.baudrate = m_options.baud;
  const bool set = m_platform->SetupComm(kRxQueueBytes, comm::kBoardTxQueueSize) &&
                   m_platform->SetCommState(comm::BuildDcb(line)) &&
                   m_platform->SetCommTimeouts(comm::BuildTimeouts({}, line.flowMode, 0));
  if (!set) {
    const int32_t code = comm::SerialPlatform::LastError();
    m_platform->Close();
    return "does not take " + LineText(m_options.baud) + ": " + m_platform->ErrorText(code);
  }
  // As the window does; pseudo-terminals and some adapters have no modem lines at all.
  m_platform->EscapeCommFunction(comm::EscapeFunction::SetDtr);
  m_platform->EscapeCommFunction(comm::EscapeFunction::SetRts);
  m_portOpen = true;
  return {};
}

void Recorder::NoteOtherReaders() {
  const std::vector<comm::DeviceHolder> holders = m_platform->OtherHolders(m_device);
  if (holders.empty() || !m_note) return;
  m_note(m_device + " is also open in " + comm::HoldersText(holders) +
         ": its bytes are split between the readers and frames are lost");
}

std::optional<std::chrono::milliseconds> Recorder::Step() {
  if (!m_failure.empty() || m_timeUp) return std::nullopt;
  bool more = false;
  if (m_portOpen) {
    more = ReadPort();
  } else if (m_awaiting && m_steadyClock() >= m_nextLook) {
    LookForReturn();
  }
  if (m_failure.empty()) RotateIfDue();
  // Lines due before the next turn are written now rather than a pause late.
  const auto flushIn = m_log.TimeToFlush();
  if (m_failure.empty() && flushIn && *flushIn <= kIdlePause && !m_log.Flush()) FailLog();
  if (!m_failure.empty()) return std::nullopt;

  const auto now = m_steadyClock();
  if (now >= m_nextStatus) {
    m_nextStatus = now + kStatusEvery;
    const std::string portState = m_portOpen ? std::string() : m_device + " " + app::GoneReason(true);
    if (m_status) m_status(StatusText(m_counts, m_fileName, m_fileBytes, portState));
  }
  if (m_end && now >= *m_end) {
    m_timeUp = true;
    return std::nullopt;
  }
  return more ? std::chrono::milliseconds(0) : kIdlePause;
}

bool Recorder::ReadPort() {
  size_t count = 0;
  if (!m_platform->Read(m_chunk.data(), m_chunk.size(), count)) {
    const int32_t code = comm::SerialPlatform::LastError();
    if (m_platform->DeviceLost(code)) {
      LosePort();
    } else {
      Fail(m_device + ": reading failed: " + m_platform->ErrorText(code));
    }
    return false;
  }
  if (count == 0) return false;
  m_received.append(reinterpret_cast<const char*>(m_chunk.data()), count);
  size_t consumed = 0;
  size_t inFrames = 0;
  acq::ScanFrames(m_received, consumed, [this, &inFrames](const acq::FrameView& frame) {
    inFrames += static_cast<size_t>(frame.length);
    LogFrame(frame);
  });
  m_counts.bytesSkipped += consumed - inFrames;
  m_received.erase(0, consumed);
  return count == m_chunk.size();
}

void Recorder::LogFrame(const acq::FrameView& frame) {
  if (!m_failure.empty()) return;
  // Checked before every frame, so each frame lands whole in exactly one file.
  RotateIfDue();
  if (!m_failure.empty()) return;
  m_line.clear();
  logbook::AppendFrameLine(m_line, frame, m_timeOfDay);
  if (!m_log.Write(m_line)) {
    FailLog();
    return;
  }
  m_fileBytes += m_line.size();
  ++m_counts.frames;
  m_counts.samples += static_cast<uint64_t>(frame.channelCount);
}

bool Recorder::OpenFile(std::time_t start) {
  std::tm local{};
  logbook::LocalCalendarTime(start, local);
  m_fileName = logbook::LogFileName(local);
  m_filePath = JoinPath(m_options.directory, m_fileName);
  m_fileBytes = 0;
  if (m_log.Open(m_filePath)) return true;
  FailLog();
  return false;
}

void Recorder::RotateIfDue() {
  if (!m_nextBoundary) return;
  const std::time_t now = m_wallClock();
  const auto period = static_cast<std::time_t>(m_options.rotate->count());
  if (now < *m_nextBoundary) {
    // The clock was set back by more than a period: boundaries count from now.
    if (*m_nextBoundary - now > period) m_nextBoundary = NextBoundary(now, *m_options.rotate);
    return;
  }
  // A clock set forward past several boundaries names the file after now.
  const std::time_t start = now - *m_nextBoundary < period ? *m_nextBoundary : now;
  m_nextBoundary = NextBoundary(now, *m_options.rotate);
  const std::string ended = m_fileName;
  if (!m_log.Close()) {
    FailLog();
    return;
  }
  const uint64_t lines = m_log.LinesKept();
  if (!OpenFile(start)) return;
  if (m_note) {
    m_note(ended + " complete with " + logbook::GroupDigits(lines) + (lines == 1 ? " line" : " lines") +
           "; now writing " + m_fileName);
  }
}

void Recorder::LosePort() {
  m_platform->Close();
  m_portOpen = false;
  // A frame cut short by the loss can never be completed, and joined to the
  // first bytes of the returned device it could pass as a frame with wrong
  // samples: start clean.
  m_counts.bytesSkipped += m_received.size();
  m_received.clear();
  if (!m_log.Flush()) {
    FailLog();
    return;
  }
  if (!app::ComesBackUnderItsName(m_device)) {
    Fail(m_device + ": " + app::GoneReason(false));
    return;
  }
  if (m_note) m_note(m_device + ": " + app::GoneReason(true));
  m_awaiting = true;
  m_refusal.clear();
  m_nextLook = m_steadyClock() + kReturnWatch;
}

void Recorder::LookForReturn() {
  m_nextLook = m_steadyClock() + kReturnWatch;
  // Judged without opening it: opening a serial device can reset the board behind it.
  if (!m_platform->Available(m_device)) return;
  if (const std::string refused = OpenPort(); !refused.empty()) {
    if (refused != m_refusal && m_note) m_note(m_device + ": " + refused);
    m_refusal = refused;
    return;
  }
  m_awaiting = false;
  if (m_note) m_note(m_device + " reconnected, open at " + std::to_string(m_options.baud) + " baud");
  NoteOtherReaders();
}

void Recorder::Fail(const std::string& reason) {
  if (m_failure.empty()) m_failure = reason;
}

void Recorder::FailLog() {
  Fail(logbook::LogStoppedText(m_filePath, m_log.LinesKept(), logbook::LogErrorReason(m_log.Error())));
  // Whatever made it to the file ends on a whole line already; the close only lets it go.
  m_log.Close();
}

bool Recorder::Finish() {
  if (m_portOpen) m_platform->Close();
  m_portOpen = false;
  m_awaiting = false;
  if (m_log.IsOpen() && !m_log.Close()) FailLog();
  return m_failure.empty();
}

}  // namespace rec
