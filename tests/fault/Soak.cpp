// Long run of the receive path with the log on (scripts/soak.sh; not part of
// the test suite): the board simulator streams at a multiple of its nominal
// rate into a pseudo-terminal that the window reads as COM1, recording every
// byte it sends. Passes when the resident memory stayed flat after warm-up
// and the log holds exactly one correct line for every frame sent.
//
//   fault_soak SIMULATOR [MINUTES [RATE]]      defaults: 10 minutes, 10x
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "acquisition/FrameFormat.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessUsage.h"
#include "tests/support/RecordedWindow.h"
#include "tests/support/ScratchDirectory.h"
#include "tests/support/Waiting.h"

namespace {

using namespace std::chrono_literals;

constexpr int kChannels = acq::kMaxChannels;
constexpr size_t kFrameBytes = acq::kMaxFrameBytes;
constexpr auto kSampleEvery = 10s;
/// Growth of the resident memory allowed after warm-up.
constexpr long long kMaxGrowthBytes = 4LL << 20;

/// Picks the shortest log time limit that outlasts the run.
void ChooseLogLimit(TfMain& w, int minutes) {
  QComboBox* list = w.cbLogTimeOut;
  for (int i = 0; i < list->count(); ++i) {
    bool number = false;
    if (list->itemText(i).toInt(&number) > minutes && number) {
      list->setCurrentIndex(i);
      emit list->activated(i);
      return;
    }
  }
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t comma; (comma = line.find(", ", start)) != std::string::npos; start = comma + 2) {
    fields.push_back(line.substr(start, comma - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

/// Compares the log, line by line, with the frames in the recording; returns
/// the number of frames whose line is missing or wrong.
uint64_t CountLogErrors(const std::string& recording, const std::string& log, uint64_t& frames) {
  std::ifstream sent(recording, std::ios::binary);
  std::ifstream logged(log, std::ios::binary);
  std::string frame(kFrameBytes, '\0');
  std::string line;
  uint64_t errors = 0;
  frames = 0;
  while (sent.read(frame.data(), kFrameBytes)) {
    ++frames;
    if (!std::getline(logged, line) || line.empty() || line.back() != '\r') {
      ++errors;
      continue;
    }
    line.pop_back();
    const std::vector<std::string> fields = Fields(line);
    bool same = fields.size() == 5 * kChannels;
    for (size_t k = 0; same && k < kChannels; ++k) {
      const auto* record =
          reinterpret_cast<const unsigned char*>(frame.data()) + acq::RecordOffset(static_cast<int>(k) + 1, true);
      same = fields[5 * k + 1] == std::to_string(k + 1) && fields[5 * k + 2] == std::to_string(record[0] << 8 | record[1]) &&
             fields[5 * k + 4] == std::to_string(record[2]);
    }
    if (!same) ++errors;
  }
  if (std::getline(logged, line)) ++errors;  // a line for a frame never sent
  return errors;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: fault_soak SIMULATOR [MINUTES [RATE]]\n";
    return 2;
  }
  const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  const std::string rate = argc > 3 ? argv[3] : "10";
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  support::ScratchDirectory scratch;
  const std::string recording = (scratch.Path() / "sent.bin").string();

  support::ChildProcess simulator({argv[1], "--channels", "8", "--rate", rate, "--duration",
                                   std::to_string(minutes * 60), "--record", recording, "--wait-for-reader"});
  const std::string port = simulator.ReadLine(10s);
  if (port.empty()) {
    std::cerr << "soak: the simulator did not start\n";
    return 1;
  }
  support::RecordedWindow rig = support::StartOnDevices({port});
  TfMain& w = rig.Window();
  w.Timer2->start();
  w.Timer2Timer();
  ChooseLogLimit(w, minutes);
  w.CheckBoxLog->setChecked(true);
  std::cout << "soak: " << minutes << " min at " << rate << "x the nominal rate on " << port << ", log on\n";

  // Buffers, caches and the allocator settle in the first tenth of the run.
  const auto warmUp = std::chrono::seconds(std::min(60, minutes * 6));
  const auto start = std::chrono::steady_clock::now();
  long long warmResident = 0;
  long long peakResident = 0;
  int status = 0;
  while (!simulator.WaitExit(0s, status)) {
    support::RunEventsFor(kSampleEvery);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const long long resident = support::ResidentBytes();
    if (warmResident == 0 && elapsed >= warmUp) warmResident = resident;
    if (warmResident != 0) peakResident = std::max(peakResident, resident);
    std::cout << "soak: " << std::chrono::duration_cast<std::chrono::seconds>(elapsed).count() << " s, resident "
              << resident / 1024 << " KiB\n"
              << std::flush;
  }
  support::RunEventsFor(1s);  // the last bytes the simulator waited to be read
  w.CheckBoxLog->setChecked(false);

  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Path())) {
    if (entry.path().extension() == ".csv") log = entry.path().string();
  }
  uint64_t frames = 0;
  const uint64_t errors = CountLogErrors(recording, log, frames);
  const long long growth = warmResident == 0 ? 0 : peakResident - warmResident;
  std::cout << "soak: " << frames << " frames sent, " << errors << " missing or wrong in the log; resident memory "
            << (warmResident == 0 ? "not sampled after warm-up" : "grew by " + std::to_string(growth / 1024) + " KiB")
            << " after warm-up\n";
  const bool passed = frames > 0 && errors == 0 && growth < kMaxGrowthBytes && rig.Prompts().boxes.empty();
  std::cout << (passed ? "soak: passed\n" : "soak: FAILED\n");
  return passed ? 0 : 1;
}
