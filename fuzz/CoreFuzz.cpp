// Fuzzing of the toolkit-free core: frame scanning, trace arithmetic, log
// text and log reading (whole, piece by piece as a followed log grows, and
// placed in time), each held to properties that must hold for any input, not
// only to surviving it.
//
// The whole input is one received byte stream and also one log file, so a
// recorded board stream and a log file are both meaningful seeds as they
// stand. Every choice (chunk sizes, operands, time texts) comes from the back
// of the input, each check reading it afresh.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/FrameParser.h"
#include "acquisition/TraceMath.h"
#include "analysis/LogLoader.h"
#include "analysis/LogReader.h"
#include "analysis/TraceColumns.h"
#include "display/ScopeGeometry.h"
#include "display/Truncation.h"
#include "logging/CsvLog.h"
#include "tools/FrameEncoding.h"
#include "tools/FrameGenerator.h"
#include "tools/LogReplay.h"

namespace {

__extension__ typedef __int128 Int128;

/// Frames checked one by one per input; the stream checks see them all.
constexpr size_t kMaxFramesChecked = 16;
/// Largest chunk one arrival delivers in the chunked scan.
constexpr size_t kMaxChunk = 300;
/// Bound of the high-pass filter's output relative to its largest input from
/// rest: the sum of its impulse response's magnitudes is 2.436.
constexpr long double kFilterGain = 2.5L;

void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "core_fuzz: broken: %s\n", property);
  std::abort();
}

uint8_t Byte(std::string_view bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

/// True when `rest` starts with a complete frame of valid length.
bool StartsFrame(std::string_view rest) {
  return rest.size() >= acq::kHeaderBytes && Byte(rest, 0) == acq::kSyncByte &&
         acq::IsValidLength(Byte(rest, 1), Byte(rest, 2)) && rest.size() >= Byte(rest, 2);
}

/// True when `rest` may still grow into a frame: too short to judge, or a
/// sync byte with a valid length whose frame has not fully arrived.
bool MayGrowIntoFrame(std::string_view rest) {
  if (rest.size() < 2) return true;
  if (Byte(rest, 0) != acq::kSyncByte) return false;
  if (rest.size() < acq::kHeaderBytes) return true;
  return acq::IsValidLength(Byte(rest, 1), Byte(rest, 2)) && rest.size() < Byte(rest, 2);
}

sim::FrameValues Decode(const acq::FrameView& frame) {
  sim::FrameValues values;
  for (int k = 1; k <= frame.channelCount; ++k) {
    values.samples.push_back(frame.Sample(k));
    if (frame.hasTemperature) values.temperatures.push_back(frame.Temperature(k));
  }
  return values;
}

template <class Exception, class Call>
bool Throws(Call call) {
  try {
    call();
  } catch (const Exception&) {
    return true;
  }
  return false;
}

struct Scanned {
  std::vector<std::string_view> frames;  ///< the frames' bytes, in order
  std::string_view leftover;             ///< what waits for more bytes
};

/// Scans the stream in one call, checking every frame and every dropped byte.
Scanned ScanWhole(std::string_view stream) {
  Scanned scanned;
  size_t consumed = 0;
  size_t end = 0;  // of the last frame
  auto dropped = [&](size_t upTo) {
    for (; end < upTo; ++end) Require(!StartsFrame(stream.substr(end)), "only a byte that starts no frame is dropped");
  };
  acq::ScanFrames(stream, consumed, [&](const acq::FrameView& frame) {
    const auto offset = static_cast<size_t>(frame.data - reinterpret_cast<const uint8_t*>(stream.data()));
    Require(offset >= end && offset == consumed, "frames come in order at the scan position");
    Require(offset + static_cast<size_t>(frame.length) <= stream.size(), "a frame lies inside the buffer");
    Require(frame.data[0] == acq::kSyncByte && frame.length == frame.data[2] &&
                acq::IsValidLength(frame.data[1], frame.data[2]),
            "a frame has a sync byte and a valid length");
    Require(frame.hasTemperature == acq::HasTemperatures(frame.data[1]) && frame.channelCount >= acq::kMinChannels &&
                frame.channelCount <= acq::kMaxChannels &&
                acq::FrameLength(frame.channelCount, frame.hasTemperature) == frame.length,
            "a frame's channel count and flags match its length");
    dropped(offset);
    end = offset + static_cast<size_t>(frame.length);
    scanned.frames.push_back(stream.substr(offset, static_cast<size_t>(frame.length)));
  });
  Require(consumed <= stream.size(), "the scan consumes a prefix");
  dropped(consumed);
  scanned.leftover = stream.substr(consumed);
  Require(MayGrowIntoFrame(scanned.leftover), "what is left may still grow into a frame");
  return scanned;
}

/// Delivers the stream in chunks as the window does (append, scan, erase the
/// consumed prefix): the frames and the rest must be those of one whole scan.
void CheckChunkedScan(std::string_view stream, const Scanned& whole, FuzzedDataProvider& choices) {
  std::string buffer;
  size_t frame = 0;
  for (size_t at = 0; at < stream.size();) {
    const size_t chunk = choices.ConsumeIntegralInRange<size_t>(1, kMaxChunk);
    buffer.append(stream.substr(at, chunk));
    at += chunk;
    size_t consumed = 0;
    acq::ScanFrames(buffer, consumed, [&](const acq::FrameView& view) {
      const std::string_view bytes(reinterpret_cast<const char*>(view.data), static_cast<size_t>(view.length));
      Require(frame < whole.frames.size() && bytes == whole.frames[frame++], "chunks yield the frames of one scan");
    });
    buffer.erase(0, consumed);
    Require(buffer.size() < static_cast<size_t>(acq::kMaxFrameBytes), "less than one frame waits");
  }
  Require(frame == whole.frames.size() && buffer == whole.leftover, "chunks leave what one scan leaves");
}

/// A frame encoded from a scanned frame's fields has the same bytes, up to
/// the flag bits that carry no meaning, and scans back to the same fields.
/// With checkRefusals, channels outside the frame must be refused.
void CheckReencoding(std::string_view bytes, bool checkRefusals) {
  size_t consumed = 0;
  sim::FrameValues values;
  acq::ScanFrames(bytes, consumed, [&](const acq::FrameView& frame) {
    values = Decode(frame);
    if (!checkRefusals) return;
    // Exceptions are slow under the sanitizers: the caller asks for these checks once per input.
    Require(Throws<std::out_of_range>([&] { frame.Sample(0); }) &&
                Throws<std::out_of_range>([&] { frame.Sample(frame.channelCount + 1); }),
            "a channel outside the frame is refused");
    Require(frame.hasTemperature || Throws<std::out_of_range>([&] { frame.Temperature(1); }),
            "a frame without temperatures gives none");
  });
  const bool temperatures = !values.temperatures.empty();
  const std::string encoded = sim::EncodeFrame(values.samples, temperatures ? &values.temperatures : nullptr);
  Require(encoded.size() == bytes.size() && encoded.compare(3, std::string::npos, bytes.substr(3)) == 0 &&
              Byte(encoded, 1) == (temperatures ? acq::kFlagTemperatures : 0),
          "a re-encoded frame has the frame's bytes");
  size_t again = 0;
  int frames = 0;
  acq::ScanFrames(encoded, again, [&](const acq::FrameView& frame) {
    const sim::FrameValues back = Decode(frame);
    Require(back.samples == values.samples && back.temperatures == values.temperatures,
            "a re-encoded frame scans back to its fields");
    ++frames;
  });
  Require(frames == 1 && again == encoded.size(), "a re-encoded frame scans as one whole frame");
}

/// Time texts a log line may carry: the formats of several locales, none, and
/// texts that look like the numbers around them.
const char* const kTimeTexts[] = {"14:05:09", "2:05:09 PM", "",  "14.05.09", "\xe5\x8d\x88\xe5\xbe\x8c 2:05:09",
                                  "1",        "255",        " ", ",",        ", ,"};

/// Appends channel k's piece of a frame's log line, stamped `time`, in the
/// order the window writes it, and the separator or line end after it.
void AppendRecord(std::string& line, std::string_view time, size_t k, const sim::FrameValues& frame) {
  logbook::AppendPiece(line, time, static_cast<int>(k + 1), frame.samples[k]);
  if (!frame.temperatures.empty()) logbook::AppendTemperature(line, frame.temperatures[k]);
  if (k + 1 < frame.samples.size()) {
    logbook::AppendSeparator(line);
  } else {
    logbook::AppendLineEnd(line);
  }
}

bool SameFrame(const std::optional<sim::FrameValues>& a, const sim::FrameValues& b) {
  return a && a->samples == b.samples && a->temperatures == b.temperatures;
}

/// The log line of a frame reads back to the frame's fields, whatever time
/// text each piece carries, as long as it holds no field separator.
void CheckLogLineOf(const sim::FrameValues& frame, FuzzedDataProvider& choices) {
  std::string line;
  for (size_t k = 0; k < frame.samples.size(); ++k) {
    std::string time =
        choices.ConsumeBool() ? choices.ConsumeRandomLengthString(24) : choices.PickValueInArray(kTimeTexts);
    if (time.find(", ") != std::string::npos) time = "14:05:09";
    AppendRecord(line, time, k, frame);
  }
  Require(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0, "a log line ends with CR LF");
  line.pop_back();
  Require(SameFrame(sim::ParseLogLine(line), frame), "a frame's log line reads back to its fields");
}

/// A line the reader accepts is one the log writes: rebuilt from the frame it
/// gives and its own time texts, it comes out byte for byte.
bool WrittenAsRead(std::string_view line, const sim::FrameValues& frame) {
  std::string full(line);
  if (full.empty() || full.back() != '\r') full.push_back('\r');
  full.push_back('\n');
  std::string written;
  for (size_t k = 0; k < frame.samples.size(); ++k) {
    const size_t end = full.find(", ", written.size());
    if (end == std::string::npos) return false;
    AppendRecord(written, std::string_view(full).substr(written.size(), end - written.size()), k, frame);
    if (written.size() > full.size() || full.compare(0, written.size(), written) != 0) return false;
  }
  return written == full;
}

/// A file holding the input, read back by the log reader.
class InputFile {
 public:
  InputFile() : m_fd(memfd_create("core_fuzz-log", 0)) { Require(m_fd >= 0, "a memory file can be created"); }

  /// The path of a file holding exactly `bytes`.
  std::string Hold(std::string_view bytes) {
    Require(
        ftruncate(m_fd, 0) == 0 && pwrite(m_fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
        "the memory file takes the input");
    return "/proc/self/fd/" + std::to_string(m_fd);
  }

 private:
  int m_fd;
};

/// Every complete line of the input read on its own, and the whole input read
/// as a log file: the reader hands out exactly the frames of the well-formed
/// complete lines, each as the log writes it, and counts the rest.
void CheckLogReading(std::string_view input) {
  std::vector<sim::FrameValues> expected;
  uint64_t lines = 0;
  for (size_t at = 0; at < input.size(); ++lines) {
    const size_t end = input.find('\n', at);
    if (end == std::string_view::npos) {
      ++lines;  // unfinished: counted, never read
      break;
    }
    const std::string_view line = input.substr(at, end - at);
    at = end + 1;
    if (auto frame = sim::ParseLogLine(line)) {
      Require(WrittenAsRead(line, *frame), "the reader accepts only lines the log writes");
      expected.push_back(std::move(*frame));
    }
  }
  static InputFile file;
  sim::LogReplay replay;
  std::string error;
  Require(replay.Open(file.Hold(input), error), "the log file opens");
  for (const sim::FrameValues& frame : expected) {
    Require(SameFrame(replay.Next(), frame), "the reader hands out the frames of the well-formed lines");
  }
  Require(!replay.Next() && !replay.ReadError(), "the reader hands out nothing else");
  Require(replay.Lines() == lines && replay.Malformed() == lines - expected.size(),
          "the reader counts every line and every skipped one");
}

/// What a log reader handed out, line by line, and counted.
struct ReadRecord {
  std::vector<std::string> lines;
  std::vector<uint64_t> offsets;
  uint64_t counted = 0;
  uint64_t skipped = 0;
  uint64_t firstSkipped = 0;
  uint64_t consumed = 0;

  bool operator==(const ReadRecord& other) const {
    return lines == other.lines && offsets == other.offsets && counted == other.counted && skipped == other.skipped &&
           firstSkipped == other.firstSkipped && consumed == other.consumed;
  }
};

/// Reads `input` as a followed log receives it: the source hands out pieces
/// of the sizes `choices` gives, and nothing at all in between, as a file
/// does that has not grown since the last look.
ReadRecord ReadInPieces(std::string_view input, FuzzedDataProvider* choices) {
  size_t delivered = 0;
  analysis::LogReader reader([&](char* into, size_t size) -> std::ptrdiff_t {
    const size_t piece = choices ? choices->ConsumeIntegralInRange<size_t>(0, kMaxChunk) : input.size();
    const size_t take = std::min({piece, size, input.size() - delivered});
    std::memcpy(into, input.data() + delivered, take);
    delivered += take;
    return static_cast<std::ptrdiff_t>(take);
  });
  ReadRecord record;
  for (int idle = 0; idle < 4 || delivered < input.size(); ++idle) {
    while (auto line = reader.Next()) {
      Require(line->offset + line->text.size() <= reader.Consumed() && !line->text.empty() &&
                  line->text.back() == '\n' && input.substr(line->offset, line->text.size()) == line->text,
              "a line read is the input's bytes at its offset, up to its LF");
      record.lines.emplace_back(line->text);
      record.offsets.push_back(line->offset);
      idle = 0;
    }
    if (choices && choices->remaining_bytes() == 0 && delivered < input.size()) choices = nullptr;
  }
  reader.Finish();
  Require(!reader.Next(), "a finished reader hands out nothing");
  record.counted = reader.Lines();
  record.skipped = reader.Skipped();
  record.firstSkipped = reader.FirstSkippedLine();
  record.consumed = reader.Consumed();
  return record;
}

/// Reading a log piece by piece, with pauses, hands out the same lines at
/// the same offsets and counts the same as reading it whole; the lines are
/// those the replay reads.
void CheckIncrementalReading(std::string_view input, FuzzedDataProvider& choices) {
  const ReadRecord whole = ReadInPieces(input, nullptr);
  Require(ReadInPieces(input, &choices) == whole, "piece by piece reads as whole");
  Require(whole.consumed == input.size(), "a finished reader has consumed the whole input");
  for (const std::string& line : whole.lines) {
    Require(sim::ParseLogLine(std::string_view(line).substr(0, line.size() - 1)).has_value(),
            "every line handed out is well-formed");
  }
}

/// The input's frames placed in time: times never run backwards, each
/// frame is the first at or after its own time unless it shares it, and
/// every DC and AC value lies inside its column over a span the input chooses.
void CheckPlacement(std::string_view input, FuzzedDataProvider& choices) {
  size_t delivered = 0;
  analysis::LogReader reader([&](char* into, size_t size) -> std::ptrdiff_t {
    const size_t take = std::min(size, input.size() - delivered);
    std::memcpy(into, input.data() + delivered, take);
    delivered += take;
    return static_cast<std::ptrdiff_t>(take);
  });
  analysis::LogLoader loader(reader);
  analysis::LogSession session(analysis::ParseLogFileName("2026-12-31_23-59-59.csv"));
  while (auto frame = loader.Next()) session.Append(frame->line.frame, frame->secondOfDay, frame->line.offset);
  const analysis::TimeLine& times = session.Times();
  for (uint64_t f = 0; f < session.Frames(); ++f) {
    const double t = times.FrameTime(f);
    Require(t >= 0 && t < times.Duration() && (f == 0 || t >= times.FrameTime(f - 1)), "frame times run forward");
    Require(times.FirstFrameAtOrAfter(t) <= f &&
                (f == 0 || times.FirstFrameAtOrAfter(t) > f - 1 || times.FrameTime(f - 1) == t),
            "a frame is found at its own time");
  }
  if (session.Frames() == 0) return;
  analysis::ColumnSpan span;
  span.width = choices.ConsumeIntegralInRange<int>(1, 64);
  span.step = (times.Duration() + 1) / span.width * choices.ConsumeFloatingPointInRange<double>(1e-4, 1);
  span.start = choices.ConsumeFloatingPointInRange<double>(-1, times.Duration());
  const auto bounds = analysis::ColumnBounds(times, span);
  for (int channel = 1; channel <= session.Channels(); ++channel) {
    for (const auto trace : {analysis::Trace::Dc, analysis::Trace::Ac}) {
      const auto columns = analysis::TraceColumns(session, channel, trace, bounds);
      const auto values = session.Values(channel, trace, 0, session.Frames());
      for (size_t x = 0; x < columns.size(); ++x) {
        for (uint64_t f = bounds[x]; f < bounds[x + 1]; ++f) {
          Require(!columns[x].empty && columns[x].low <= values[f] && values[f] <= columns[x].high,
                  "every value lies inside its column");
        }
      }
    }
  }
}

/// Any double, NaN, infinities and subnormals included.
double AnyDouble(FuzzedDataProvider& choices) {
  const auto bits = choices.ConsumeIntegral<uint64_t>();
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

/// trunc(numerator / denominator) saturated to 32 bits, exactly.
int32_t ExactTruncated(Int128 numerator, Int128 denominator) {
  const Int128 quotient = numerator / denominator;
  if (quotient > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (quotient < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(quotient);
}

/// A row is value / scale + half / 2 truncated: the reference for integral
/// operands, where extended precision must give the exact result.
int32_t ExactRow(Int128 value, int64_t scale, int64_t half) {
  return ExactTruncated(2 * value + Int128{half} * scale, Int128{2} * scale);
}

/// Calls `compute`; it must fault exactly when its divisor is zero.
template <class Compute>
void CheckFaultsOnZero(Compute compute, bool zeroDivisor, const char* property) {
  bool faulted = false;
  try {
    compute();
  } catch (const disp::ArithmeticFault&) {
    faulted = true;
  }
  Require(faulted == zeroDivisor, property);
}

/// Columns, rows, progress and labels: defined for any operands, exact for
/// integral ones, ordered like their inputs.
void CheckTraceArithmetic(FuzzedDataProvider& choices) {
  const auto interval = choices.ConsumeIntegral<int32_t>();
  const double anyA = AnyDouble(choices), anyB = AnyDouble(choices), anyC = AnyDouble(choices);
  const auto intA = choices.ConsumeIntegral<int64_t>(), intB = choices.ConsumeIntegral<int64_t>();
  const auto height = choices.ConsumeIntegral<int32_t>();

  CheckFaultsOnZero([&] { acq::SweepColumn(anyA, anyB, anyC, interval); }, interval == 0, "column faults on zero");
  CheckFaultsOnZero([&] { acq::DcRow(intA, intB, anyA, anyB); }, anyA == 0, "DC row faults on zero");
  CheckFaultsOnZero([&] { acq::AcRow(anyB, anyA, height); }, anyA == 0, "AC row faults on zero");
  CheckFaultsOnZero([&] { acq::SweepProgress(height, interval); }, interval == 0, "progress faults on zero");
  disp::DcLabelValues(anyA, anyB, intA);
  disp::AcLabelValues(anyA, anyB);

  constexpr int64_t kTimeLimit = int64_t{1} << 42, kStepLimit = 1 << 20, kScaleLimit = 1 << 20;
  const auto time = choices.ConsumeIntegralInRange(-kTimeLimit, kTimeLimit);
  const auto start = choices.ConsumeIntegralInRange(-kTimeLimit, kTimeLimit);
  const auto step = choices.ConsumeIntegralInRange(-kStepLimit, kStepLimit);
  const auto scale = choices.ConsumeIntegralInRange(-kScaleLimit, kScaleLimit);
  const auto eighths = choices.ConsumeIntegralInRange(-(kScaleLimit << 4), kScaleLimit << 4);
  const auto whole = static_cast<double>(choices.ConsumeIntegralInRange(-(int64_t{1} << 53), int64_t{1} << 53));
  if (interval != 0) {
    Require(acq::SweepColumn(time, start, step, interval) == ExactTruncated(Int128{time - start} * step, interval),
            "column is exact for integral operands");
  }
  if (scale != 0) {
    Require(acq::DcRow(intA, intB, scale, eighths / 8.0) == ExactRow(Int128{intA} + intB, scale, eighths),
            "DC row is exact for integral operands");
    Require(acq::AcRow(whole, scale, height) == ExactRow(static_cast<int64_t>(whole), scale, height),
            "AC row is exact for integral operands");
  }
  // Rows keep the order of their values for any finite operands.
  if (std::isfinite(anyA) && anyA > 0 && std::isfinite(anyB)) {
    Require(acq::DcRow(intA, std::min(intA, intB), anyA, anyB) <= acq::DcRow(intA, std::max(intA, intB), anyA, anyB),
            "DC row keeps the order of samples");
    if (std::isfinite(anyC)) {
      Require(acq::AcRow(std::min(anyB, anyC), anyA, height) <= acq::AcRow(std::max(anyB, anyC), anyA, height),
              "AC row keeps the order of values");
    }
  }
  if (interval > 0 && height >= 0 && height < interval) {
    const int32_t progress = acq::SweepProgress(height, interval);
    Require(progress >= 0 && progress < acq::kProgressMax, "progress inside the surface stays below full");
    Require(acq::SweepEnds(acq::SweepProgress(interval, interval)), "the last column ends the sweep");
  }
}

/// The high-pass filter from rest: its output stays finite and within its
/// gain of the largest input so far.
class FilterCheck {
 public:
  void Step(int64_t sample) {
    m_largest = std::max(m_largest, std::fabs(static_cast<long double>(sample)));
    const double y = acq::AcFilterStep(m_state, sample);
    Require(std::isfinite(y) && std::fabs(y) <= kFilterGain * m_largest + 1, "the filter stays within its gain");
  }

 private:
  acq::AcFilterState m_state;
  long double m_largest = 0;
};

/// The time text goes into every log line, whose fields it must not split.
void CheckLogText(FuzzedDataProvider& choices) {
  logbook::TimeOfDayText timeOfDay([] { return std::time_t{0}; });
  const std::string& text = timeOfDay.Text(choices.ConsumeIntegral<std::time_t>());
  Require(text.find(", ") == std::string::npos && text.find_first_of("\r\n") == std::string::npos,
          "the time of day never splits a log line");
  std::tm local{};
  for (int* field : {&local.tm_year, &local.tm_mon, &local.tm_mday, &local.tm_hour, &local.tm_min, &local.tm_sec}) {
    *field = choices.ConsumeIntegral<int>();
  }
  const std::string name = logbook::LogFileName(local);
  Require(name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0 &&
              name.find_first_not_of("0123456789-_") == name.size() - 4,
          "a log file name is digits, dashes and an underscore before .csv");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view stream(reinterpret_cast<const char*>(data), size);
  const Scanned whole = ScanWhole(stream);
  {
    FuzzedDataProvider choices(data, size);
    CheckChunkedScan(stream, whole, choices);
  }
  FilterCheck channels[acq::kMaxChannels];
  FuzzedDataProvider times(data, size);
  for (size_t i = 0; i < whole.frames.size(); ++i) {
    size_t consumed = 0;
    acq::ScanFrames(whole.frames[i], consumed, [&](const acq::FrameView& frame) {
      for (int k = 1; k <= frame.channelCount; ++k) channels[k - 1].Step(frame.Sample(k));
      if (i < kMaxFramesChecked) CheckLogLineOf(Decode(frame), times);
    });
    if (i < kMaxFramesChecked) CheckReencoding(whole.frames[i], i == 0);
  }
  CheckLogReading(stream);
  {
    FuzzedDataProvider pieces(data, size);
    CheckIncrementalReading(stream, pieces);
    CheckPlacement(stream, pieces);
  }
  FuzzedDataProvider choices(data, size);
  CheckTraceArithmetic(choices);
  FilterCheck extreme;
  for (int i = 0; i < 64 && choices.remaining_bytes() > 0; ++i) extreme.Step(choices.ConsumeIntegral<int64_t>());
  CheckLogText(choices);
  return 0;
}
