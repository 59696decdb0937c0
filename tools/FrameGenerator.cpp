#include "tools/FrameGenerator.h"

#include "tools/FrameEncoding.h"
#include "tools/Probe.h"

namespace sim {

namespace {

constexpr uint64_t kFaultStream = 200;
constexpr int kMaxGarbage = 12;

}  // namespace

FrameGenerator::FrameGenerator(const BoardConfig& board, const FaultConfig& faults, const KnownTruth& truth)
    : m_board(board), m_faults(faults), m_model(board, truth), m_faultRandom(DeriveSeed(board.seed, kFaultStream)) {}

const Emission& FrameGenerator::Next() {
  Emission& e = m_emission;
  e.bytes.clear();
  e.splits.clear();
  m_model.Next(e.frame.samples, m_temperatures);
  if (m_probeNext) {
    e.frame.samples[0] = kProbeSample;
    m_probeNext = false;
  }
  if (m_board.temperatures) {
    e.frame.temperatures = m_temperatures;
  } else {
    e.frame.temperatures.clear();
  }

  InjectBefore();
  if (m_faults.syncInData && m_faultRandom.Chance(m_faults.probability)) {
    PutSyncInData(e.frame.samples, m_faultRandom);
  }
  e.frameOffset = e.bytes.size();
  AppendFrame(e.bytes, e.frame.samples, m_board.temperatures ? &e.frame.temperatures : nullptr);
  if (m_faults.split && m_faultRandom.Chance(m_faults.probability)) {
    e.splits = SplitPoints(m_faultRandom, e.frameOffset, e.bytes.size());
  }
  ++m_count;
  return e;
}

void FrameGenerator::InjectBefore() {
  if (m_faults.garbage && m_faultRandom.Chance(m_faults.probability)) {
    m_emission.bytes += GarbageBytes(m_faultRandom, static_cast<size_t>(m_faultRandom.UniformInt(1, kMaxGarbage)));
  }
  if (m_faults.badLength && m_faultRandom.Chance(m_faults.probability)) {
    m_emission.bytes += InvalidHeader(m_faultRandom);
  }
}

}  // namespace sim
