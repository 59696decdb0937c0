#include "tools/Random.h"

#include <cmath>

namespace sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

uint64_t Random::Next() {
  m_state += 0x9E3779B97F4A7C15ULL;
  uint64_t z = m_state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double Random::Uniform() {
  // The top 53 bits fill a double's mantissa exactly.
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

double Random::Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

int Random::UniformInt(int lo, int hi) {
  if (hi <= lo) {
    return lo;
  }
  const auto span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo + 1);
  return static_cast<int>(lo + static_cast<int64_t>(Next() % span));
}

double Random::Normal() {
  // Box-Muller; 1 - Uniform() lies in (0, 1], so the logarithm is finite.
  const double u1 = 1.0 - Uniform();
  const double u2 = Uniform();
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
}

bool Random::Chance(double p) { return Uniform() < p; }

uint64_t DeriveSeed(uint64_t seed, uint64_t stream) {
  Random mixer(seed ^ (stream * 0xD1B54A32D192ED03ULL));
  mixer.Next();
  return mixer.Next();
}

}  // namespace sim
