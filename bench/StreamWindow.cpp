#include "bench/StreamWindow.h"

#include "tools/FrameGenerator.h"

namespace bench {

StreamWindow::StreamWindow(std::string loop, std::function<std::time_t()> clock) {
  auto port = std::make_unique<StreamPort>(std::move(loop));
  auto prompts = std::make_unique<CountingPrompts>();
  m_port = port.get();
  m_prompts = prompts.get();
  TfMainDeps deps;
  deps.serialPlatform = std::move(port);
  deps.prompts = std::move(prompts);
  deps.clock = std::move(clock);
  m_window = std::make_unique<TfMain>(std::move(deps));
  m_window->FormShow();
}

void StreamWindow::EnableAllTraces() {
  for (int channel = 1; channel <= app::kChannelCount; ++channel) {
    m_window->DcEnabled[channel] = true;
    m_window->AcEnabled[channel] = true;
  }
}

void StreamWindow::ReceiveOnce() {
  TfMain& w = *m_window;
  w.RunGuarded([&w] { w.serialRxData(w.serial.get()); });
}

std::string BoardStream(int channels, bool temperatures, int frames) {
  sim::BoardConfig board;
  board.channels = channels;
  board.temperatures = temperatures;
  board.seed = 1;
  sim::FrameGenerator generator(board);
  std::string stream;
  for (int i = 0; i < frames; ++i) stream += generator.Next().bytes;
  return stream;
}

}  // namespace bench
