// Fuzzing of the receive path: the input is cut into byte chunks that arrive
// at the window's port one after the other, and between two chunks the
// controls are set at random, the way an operator might while data streams.
//
// The data comes from the front of the input and every choice (chunk sizes,
// controls, values) from its back, so a recorded board stream is a meaningful
// seed as it stands. Each input gets a fresh window, so any finding replays
// from its input alone. The window is shown but never drawn, and the scope is
// painted into an image when the input asks for it, which keeps a run cheap.
//
// Every message box must be the one the last action provokes: the list index
// error when no port entry is selected, "Selected port is invalid" when the
// port refuses to open, the conversion error of the blank time-out entry.
// Any other box fails the run.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "acquisition/FrameFormat.h"
#include "app/ScopePanel.h"
#include "app/SpinEdit.h"
#include "tests/support/RecordedWindow.h"

namespace {

/// Largest chunk one arrival delivers; a read takes at most 257 bytes, so
/// larger chunks also exercise several reads per arrival.
constexpr size_t kMaxChunk = 700;
/// Largest window edge tried, in pixels: beyond a desktop's size, while the
/// surface it allocates and paints stays cheap to fuzz.
constexpr int kMaxWindowEdge = 1400;
/// After a read the receive buffer holds less than one frame.
constexpr size_t kMaxLeftover = acq::kMaxFrameBytes - 1;
/// Fixed clock for the log's file name: every log in a run reuses one file.
constexpr std::time_t kLogStartTime = 1796601503;

/// Texts a spin box may hold while typed into, beyond plain numbers.
const char* const kOddTexts[] = {"",    "0",          "-0",          "-1",          "+5",  " 7",
                                 "abc", "2147483647", "-2147483648", "99999999999", "1e3", "0x10"};

enum class Control {
  None,
  XIntervalNumber,
  XIntervalText,
  DcScale,
  AcScale,
  Offset,
  Centre,
  DcChannel,
  AcChannel,
  WindowSize,
  Continuous,
  Log,
  StartStop,
  LogTimeout,
  StatisticsTick,
  LogTimeLimit,
  BaudRate,
  Paint,
  PortPick,
  PortRefusal,
  Relist,
  kMaxValue = Relist,
};

/// A message box as the user sees it.
struct Box {
  const char* caption;
  const char* text;
};

const Box kListIndexBox{"Dez Idure", "List index out of bounds (-1)"};
const Box kPortInvalidBox{"Error", "Selected port is invalid"};
const Box kBlankTimeoutBox{"Dez Idure", "' ' is not a valid integer value."};

/// One input's window, its scripted port and what the port does on opening.
struct Session {
  support::RecordedWindow& stream;
  support::FakeSerialState& port;
  bool portRefuses = false;
};

/// The box a change of port or baud rate must show, judged after it.
std::optional<Box> PortChangeBox(const Session& session) {
  if (session.stream.Window().ComboBoxPort->currentIndex() < 0) return kListIndexBox;
  if (session.portRefuses) return kPortInvalidBox;
  return std::nullopt;
}

/// Picks an entry as the user would; false when the list is empty.
bool Pick(QComboBox* list, FuzzedDataProvider& input) {
  if (list->count() == 0) return false;
  const int index = input.ConsumeIntegralInRange<int>(0, list->count() - 1);
  list->setCurrentIndex(index);
  emit list->activated(index);
  return true;
}

void SelectChannel(app::SpinEdit* spin, QCheckBox* enabled, FuzzedDataProvider& input) {
  // Also outside 1..8: the selector must keep such a value away from the flags.
  spin->SetText(QString::number(input.ConsumeIntegralInRange<int>(-2, 10)));
  enabled->setChecked(input.ConsumeBool());
}

/// Applies one control and returns the box it must show, if any.
std::optional<Box> ApplyControl(Session& session, FuzzedDataProvider& input) {
  TfMain& w = session.stream.Window();
  switch (input.ConsumeEnum<Control>()) {
    case Control::None:
      break;
    case Control::XIntervalNumber:
      w.seDX->SetText(QString::number(input.ConsumeIntegralInRange<int>(-30000, 30000)));
      break;
    case Control::XIntervalText:
      w.seDX->SetText(QString::fromLatin1(input.PickValueInArray(kOddTexts)));
      break;
    case Control::DcScale:
      Pick(w.cbScale, input);
      break;
    case Control::AcScale:
      Pick(w.cbFilterScale, input);
      break;
    case Control::Offset:
      w.tbOff->setValue(input.ConsumeIntegral<int>());
      break;
    case Control::Centre:
      w.ButtonResetOff->click();
      break;
    case Control::DcChannel:
      SelectChannel(w.seTrace, w.cbEnabled, input);
      break;
    case Control::AcChannel:
      SelectChannel(w.seFilters, w.cbFilter, input);
      break;
    case Control::WindowSize:
      w.resize(input.ConsumeIntegralInRange<int>(0, kMaxWindowEdge),
               input.ConsumeIntegralInRange<int>(0, kMaxWindowEdge));
      QCoreApplication::processEvents();
      break;
    case Control::Continuous:
      w.cbContinuous->setChecked(input.ConsumeBool());
      break;
    case Control::Log:
      w.CheckBoxLog->setChecked(input.ConsumeBool());
      break;
    case Control::StartStop:
      w.bStart->click();
      break;
    case Control::LogTimeout:
      if (Pick(w.cbLogTimeOut, input) && w.cbLogTimeOut->currentText() == QLatin1String(" ")) return kBlankTimeoutBox;
      break;
    case Control::StatisticsTick:
      w.RunGuarded([&w] { w.Timer2Timer(); });
      break;
    case Control::LogTimeLimit:
      w.RunGuarded([&w] { w.Timer1Timer(); });
      break;
    case Control::BaudRate:
      Pick(w.cbBaud, input);
      return PortChangeBox(session);
    case Control::Paint: {
      // The scope's own paint handler, drawing into an image as it would onto the screen.
      QImage image(w.pScope->size(), QImage::Format_RGB32);
      w.pScope->render(&image);
      break;
    }
    case Control::PortPick:
      if (Pick(w.ComboBoxPort, input)) return PortChangeBox(session);
      break;
    case Control::PortRefusal:
      // An adapter pulled or taken by another program: opening it fails from now on.
      session.portRefuses = input.ConsumeBool();
      session.port.AddPort(1, session.portRefuses ? support::kFakeNotReady : 0);
      break;
    case Control::Relist:
      w.RunGuarded([&w] { w.FormShow(); });
      return PortChangeBox(session);
  }
  return std::nullopt;
}

[[noreturn]] void Fail(const std::string& what, const support::RecordingPrompts& prompts) {
  std::fprintf(stderr, "receive_fuzz: %s\nboxes so far:\n%s", what.c_str(), prompts.BoxTexts().c_str());
  std::abort();
}

/// The boxes shown since `seen` must be exactly `expected`.
void CheckBoxes(const support::RecordingPrompts& prompts, size_t& seen, const std::optional<Box>& expected) {
  const size_t shown = prompts.boxes.size() - seen;
  if (shown != (expected ? 1u : 0u)) {
    Fail(std::to_string(shown) + " box(es) where " + (expected ? "one" : "none") + " belongs", prompts);
  }
  if (expected) {
    const auto& box = prompts.boxes[seen];
    if (box.caption != QLatin1String(expected->caption) || box.text != QLatin1String(expected->text)) {
      Fail(std::string("a box other than \"") + expected->text + "\"", prompts);
    }
  }
  seen = prompts.boxes.size();
}

/// Delivers one chunk and lets the window read until the port is empty. The
/// chunk raises no event: the window reads only when told to here.
void Deliver(support::RecordedWindow& stream, support::FakeSerialState& port, const std::string& chunk) {
  TfMain& w = stream.Window();
  port.Feed(chunk, 0);
  while (port.Queued() > 0 && w.serial->Active()) {
    stream.ReceiveOnce();
    if (w.Running && w.RxBuffer.size() > kMaxLeftover) Fail("more than a partial frame waits", stream.Prompts());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Never destroyed: the fuzzer ends with exit(), and tearing the toolkit
  // down in exit handlers crashes inside it.
  static QApplication* const application = new QApplication(*argc, *argv);
  (void)application;
  // Log files go to the current directory: keep them out of the caller's.
  const std::filesystem::path logs =
      std::filesystem::temp_directory_path() / ("dezidure-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(logs);
  std::filesystem::current_path(logs);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  auto port = std::make_shared<support::FakeSerialState>();
  port->AddPort(1);
  support::RecordedWindow stream = support::StartOnFake(port, [] { return kLogStartTime; });
  TfMain& w = stream.Window();
  // Shown, so sizes and events behave as on screen, but never drawn: the
  // scope is painted only when the input asks for it.
  w.setUpdatesEnabled(false);
  w.show();
  QCoreApplication::processEvents();
  w.RunGuarded([&w] { w.Timer2Timer(); });  // enables the log box, as the first tick does
  Session session{stream, *port};
  size_t seen = 0;
  CheckBoxes(stream.Prompts(), seen, std::nullopt);
  while (input.remaining_bytes() > 0) {
    CheckBoxes(stream.Prompts(), seen, ApplyControl(session, input));
    Deliver(stream, *port, input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, kMaxChunk)));
    CheckBoxes(stream.Prompts(), seen, std::nullopt);
  }
  QCoreApplication::processEvents();
  w.close();
  CheckBoxes(stream.Prompts(), seen, std::nullopt);
  return 0;
}
