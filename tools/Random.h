#pragma once

#include <cstdint>

namespace sim {

// Small deterministic random source (SplitMix64). The same seed gives the same
// sequence on every platform and library, unlike the std distributions, so a
// simulated run repeats exactly.
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}

  // 64 random bits.
  uint64_t Next();

  // Uniform in [0, 1).
  double Uniform();

  // Uniform in [lo, hi).
  double Uniform(double lo, double hi);

  // Uniform integer in [lo, hi]; lo when hi < lo.
  int UniformInt(int lo, int hi);

  // Standard normal (mean 0, deviation 1).
  double Normal();

  // True with probability p (p <= 0 never, p >= 1 always).
  bool Chance(double p);

 private:
  uint64_t m_state;
};

// Seed of an independent stream derived from a run seed, so that each channel
// and each concern draws from its own sequence.
uint64_t DeriveSeed(uint64_t seed, uint64_t stream);

}  // namespace sim
