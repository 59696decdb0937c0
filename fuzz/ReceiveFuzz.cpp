// Fuzzing of the receive path: the input is cut into byte chunks that arrive
// at the window's port one after the other, and between two chunks the
// controls are set at random, the way an operator might while data streams.
//
// The data comes from the front of the input and every choice (chunk sizes,
// controls, values) from its back, so a recorded board stream is a meaningful
// seed as it stands. Each input gets a fresh window, so any finding replays
// from its input alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "acquisition/FrameFormat.h"
#include "app/SpinEdit.h"
#include "tests/support/RecordedWindow.h"

namespace {

/// Largest chunk one arrival delivers; a read takes at most 257 bytes, so
/// larger chunks also exercise several reads per arrival.
constexpr size_t kMaxChunk = 700;
/// Largest window edge tried, in pixels.
constexpr int kMaxWindowEdge = 2200;
/// After a read the receive buffer holds less than one frame.
constexpr size_t kMaxLeftover = acq::kMaxFrameBytes - 1;
/// Fixed clock for the log's file name: every log in a run reuses one file.
constexpr std::time_t kLogStartTime = 1796601503;

/// Texts a spin box may hold while typed into, beyond plain numbers.
const char* const kOddTexts[] = {"", "0", "-0", "-1", "+5", " 7", "abc", "2147483647", "-2147483648",
                                 "99999999999", "1e3", "0x10"};

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
  kMaxValue = Paint,
};

void Pick(QComboBox* list, FuzzedDataProvider& input) {
  if (list->count() == 0) return;
  const int index = input.ConsumeIntegralInRange<int>(0, list->count() - 1);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void SelectChannel(app::SpinEdit* spin, QCheckBox* enabled, FuzzedDataProvider& input) {
  // Also outside 1..8: the selector must keep such a value away from the flags.
  spin->SetText(QString::number(input.ConsumeIntegralInRange<int>(-2, 10)));
  enabled->setChecked(input.ConsumeBool());
}

void ApplyControl(TfMain& w, FuzzedDataProvider& input) {
  switch (input.ConsumeEnum<Control>()) {
    case Control::None:
      return;
    case Control::XIntervalNumber:
      w.seDX->SetText(QString::number(input.ConsumeIntegralInRange<int>(-30000, 30000)));
      return;
    case Control::XIntervalText:
      w.seDX->SetText(QString::fromLatin1(input.PickValueInArray(kOddTexts)));
      return;
    case Control::DcScale:
      return Pick(w.cbScale, input);
    case Control::AcScale:
      return Pick(w.cbFilterScale, input);
    case Control::Offset:
      w.tbOff->setValue(input.ConsumeIntegral<int>());
      return;
    case Control::Centre:
      w.ButtonResetOff->click();
      return;
    case Control::DcChannel:
      return SelectChannel(w.seTrace, w.cbEnabled, input);
    case Control::AcChannel:
      return SelectChannel(w.seFilters, w.cbFilter, input);
    case Control::WindowSize:
      w.resize(input.ConsumeIntegralInRange<int>(0, kMaxWindowEdge), input.ConsumeIntegralInRange<int>(0, kMaxWindowEdge));
      QCoreApplication::processEvents();
      return;
    case Control::Continuous:
      w.cbContinuous->setChecked(input.ConsumeBool());
      return;
    case Control::Log:
      w.CheckBoxLog->setChecked(input.ConsumeBool());
      return;
    case Control::StartStop:
      w.bStart->click();
      return;
    case Control::LogTimeout:
      return Pick(w.cbLogTimeOut, input);
    case Control::StatisticsTick:
      w.RunGuarded([&w] { w.Timer2Timer(); });
      return;
    case Control::LogTimeLimit:
      w.RunGuarded([&w] { w.Timer1Timer(); });
      return;
    case Control::BaudRate:
      return Pick(w.cbBaud, input);
    case Control::Paint:
      w.repaint();
      return;
  }
}

/// Delivers one chunk and lets the window read until the port is empty. The
/// chunk raises no event: the window reads only when told to here.
void Deliver(support::RecordedWindow& stream, support::FakeSerialState& port, const std::string& chunk) {
  TfMain& w = stream.Window();
  port.Feed(chunk, 0);
  while (port.Queued() > 0 && w.serial->Active()) {
    stream.ReceiveOnce();
    if (w.Running && w.RxBuffer.size() > kMaxLeftover) std::abort();
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
  const std::filesystem::path logs = std::filesystem::temp_directory_path() / ("dezidure-fuzz-" + std::to_string(getpid()));
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
  w.show();
  QCoreApplication::processEvents();
  w.RunGuarded([&w] { w.Timer2Timer(); });  // enables the log box, as the first tick does
  while (input.remaining_bytes() > 0) {
    ApplyControl(w, input);
    Deliver(stream, *port, input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, kMaxChunk)));
  }
  QCoreApplication::processEvents();
  w.close();
  return 0;
}
