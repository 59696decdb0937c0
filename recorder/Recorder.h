#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/FrameParser.h"
#include "logging/CsvLog.h"
#include "logging/LogWriter.h"
#include "recorder/RecordOptions.h"
#include "recorder/RecordStatus.h"
#include "serial/SerialPlatform.h"

namespace rec {

/// What a run is built on; the defaults are the real machine.
struct RecorderDeps {
  std::unique_ptr<comm::SerialPlatform> platform;  ///< null: the system's serial ports
  logbook::Clock wallClock;                        ///< null: the system clock (file names, line times, rotation)
  logbook::LogWriter::Clock steadyClock;           ///< null: the steady clock (--for, status, waits, flushes)
  logbook::LogWriter::WriteFunction logWrite;      ///< null: the system's write call for the files
  std::function<void(const std::string&)> note;    ///< a line for the user; null: told to nobody
  std::function<void(const std::string&)> status;  ///< the status every kStatusEvery; null: told to nobody
};

/// The device a name from the command line stands for: COM1 to COM9 (in any
/// case) as the platform numbers its ports, the way the live program does
/// (DEZIDURE_COMn, or on Windows \\.\COMn); any other name as given.
std::string PortDevice(const std::string& given, const comm::SerialPlatform& platform);

/// One unattended recording: the port opened raw with the board's line
/// settings (the live program's, at the options' baud rate), every frame
/// written as the window's timed log writes it into a file named after its
/// start time, a new file on every rotation boundary, until the options' time
/// is up, a failure ends it, or its owner stops calling Step.
///
/// A device that goes away (a pulled adapter, a hung-up line) is closed and
/// looked for once a second until it opens again at the same path with the
/// same settings; a frame it cut short is dropped, never joined to the bytes
/// that come after. A pseudo-terminal named directly is not waited for (see
/// app::ComesBackUnderItsName): that ends the run as a failure. A file that
/// cannot be created or written ends the run too, the file cut back to its
/// last whole line.
///
/// The owner calls Step in a loop and sleeps for the pause it returns; every
/// call is short, and the pause is never longer than kIdlePause. Bytes wait
/// at most that pause in the port's queue, and their lines are written before
/// they are LogWriter::kMaxLineAge old, so every line reaches the file within
/// a quarter of a second of its frame's arrival.
class Recorder {
 public:
  static constexpr std::chrono::seconds kStatusEvery{5};
  /// The pause after a turn that found the port's queue empty. Each turn
  /// costs a read and a sleep, which at 20 turns a second is a tenth of a
  /// percent of a core; the board's 9 KB a second fit the smallest queue.
  static constexpr std::chrono::milliseconds kIdlePause{50};
  /// How often a lost device is looked for.
  static constexpr std::chrono::seconds kReturnWatch{1};
  /// Bytes taken from the port per read; a full read is followed at once by another.
  static constexpr size_t kReadBytes = 64 * 1024;
  /// The receive queue asked of the driver: room for a second of the line at
  /// 115200 baud between two turns, where the window's 256 bytes serve a
  /// reader woken by every arrival.
  static constexpr uint32_t kRxQueueBytes = 16 * 1024;

  Recorder(RecordOptions options, RecorderDeps deps = {});
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  /// Opens the port and the first file and tells the start. False, with
  /// Failure() set, when either does not open.
  bool Start();

  /// One turn: logs the frames of the bytes the port holds, starts a new file
  /// on a rotation boundary, writes lines that are due, looks for a lost
  /// device and tells the status when due. Returns the pause before the next
  /// turn, or nothing once the run has ended: its time is up (TimeUp) or it
  /// failed (Failure).
  std::optional<std::chrono::milliseconds> Step();

  /// Ends the run: the port released, the last lines written and the file
  /// closed complete. A frame still incomplete is dropped. False, with
  /// Failure() set, when the run failed or the file could not be completed.
  bool Finish();

  /// Why the run failed, for the user; empty while it has not.
  const std::string& Failure() const { return m_failure; }
  /// True once the run has lasted the options' --for.
  bool TimeUp() const { return m_timeUp; }
  const RecordCounts& Counts() const { return m_counts; }
  /// The device opened, as PortDevice names it.
  const std::string& Device() const { return m_device; }
  /// The path of the current file (the last one, after Finish).
  const std::string& FilePath() const { return m_filePath; }
  /// Complete lines in the current file.
  uint64_t FileLines() const { return m_log.LinesKept(); }
  /// Bytes read that do not make a whole frame yet.
  size_t PartFrameBytes() const { return m_received.size(); }

 private:
  /// Opens and sets up the device; empty on success, else why it did not open.
  std::string OpenPort();
  void NoteOtherReaders();
  /// Takes what the port holds; true when the read was full and more may wait.
  bool ReadPort();
  void LogFrame(const acq::FrameView& frame);
  bool OpenFile(std::time_t start);
  /// Starts the next file when the wall clock has reached the boundary.
  void RotateIfDue();
  void LosePort();
  void LookForReturn();
  void Fail(const std::string& reason);
  /// The log failed: the run ends with the file's name, its lines and why.
  void FailLog();

  RecordOptions m_options;
  std::unique_ptr<comm::SerialPlatform> m_platform;
  logbook::Clock m_wallClock;
  logbook::LogWriter::Clock m_steadyClock;
  std::function<void(const std::string&)> m_note;
  std::function<void(const std::string&)> m_status;
  logbook::LogWriter m_log;
  logbook::TimeOfDayText m_timeOfDay;

  std::string m_device;
  bool m_portOpen = false;
  bool m_awaiting = false;  ///< the device went away and is looked for
  std::string m_refusal;    ///< why the returned device last failed to open, told once
  logbook::LogWriter::TimePoint m_nextLook{};
  std::vector<uint8_t> m_chunk;
  std::string m_received;  ///< bytes read and not yet cut into frames
  std::string m_line;      ///< the line being built, reused

  std::string m_filePath;
  std::string m_fileName;
  uint64_t m_fileBytes = 0;
  std::optional<std::time_t> m_nextBoundary;

  logbook::LogWriter::TimePoint m_nextStatus{};
  std::optional<logbook::LogWriter::TimePoint> m_end;
  RecordCounts m_counts;
  std::string m_failure;
  bool m_timeUp = false;
};

}  // namespace rec
