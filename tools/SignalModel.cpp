#include "tools/SignalModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "acquisition/FrameFormat.h"

namespace sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr uint64_t kEventStream = 100;
constexpr double kMeanMotionGap = 6.0;
constexpr double kMinMotionGap = 0.5;
constexpr double kMotionLifetimeInDecays = 5.0;
constexpr int kPeakSearchSteps = 256;
constexpr double kMinPeak = 0.05;
constexpr double kWalkHz = 1.0;
constexpr double kSecondsPerMinute = 60;

template <typename Integer>
Integer Saturate(double value) {
  if (std::isnan(value) || value <= 0.0) {
    return 0;
  }
  constexpr auto kMax = std::numeric_limits<Integer>::max();
  if (value >= static_cast<double>(kMax)) {
    return kMax;
  }
  return static_cast<Integer>(value);
}

}  // namespace

uint16_t ToSample(double counts) { return Saturate<uint16_t>(counts); }

uint8_t ToTemperature(double degrees) { return Saturate<uint8_t>(degrees); }

double SignalModel::Swing(const Motion& m, double age) {
  return std::exp(-age / m.decay) * std::sin(kTwoPi * m.frequency * age);
}

double SignalModel::Wave::At(double t) const { return amplitude * std::sin(kTwoPi * t / period + phase); }

SignalModel::Channel::Channel(uint64_t seed) : random(seed) {
  offset = random.Uniform(-80.0, 80.0);
  slowDrift = {random.Uniform(10.0, 40.0), random.Uniform(120.0, 600.0), random.Uniform(0.0, kTwoPi)};
  fastDrift = {random.Uniform(3.0, 10.0), random.Uniform(20.0, 60.0), random.Uniform(0.0, kTwoPi)};
  noise = random.Uniform(1.5, 4.0);
  temperature = random.Uniform(22.0, 27.0);
  temperatureDrift = {random.Uniform(0.5, 1.5), random.Uniform(300.0, 900.0), random.Uniform(0.0, kTwoPi)};
}

SignalModel::SignalModel(const BoardConfig& config, const KnownTruth& truth)
    : m_walks(truth.walks),
      m_tones(truth.tones),
      m_ramp(truth.ramp),
      m_randomMotion(truth.walks.empty() && truth.tones.empty()),
      m_events(DeriveSeed(config.seed, kEventStream)),
      m_nextMotion(0) {
  if (config.channels < acq::kMinChannels || config.channels > acq::kMaxChannels) {
    throw std::invalid_argument("the board has 1 to 8 channels");
  }
  for (const ScriptedWalk& walk : m_walks) {
    if (walk.channel < 1 || walk.channel > config.channels) {
      throw std::invalid_argument("a scripted walk names a channel the board does not have");
    }
  }
  m_channels.reserve(static_cast<size_t>(config.channels));
  for (int k = 1; k <= config.channels; ++k) {
    m_channels.emplace_back(DeriveSeed(config.seed, static_cast<uint64_t>(k)));
  }
  // Something moves early, so a new user sees a swing at once.
  m_nextMotion = m_events.Uniform(0.3, 1.5);
}

double SignalModel::Time() const { return static_cast<double>(m_frame) * kFramePeriodSeconds; }

void SignalModel::Next(std::vector<uint16_t>& samples, std::vector<uint8_t>& temperatures) {
  const double t = Time();
  if (m_randomMotion) UpdateMotions(t);
  samples.resize(m_channels.size());
  temperatures.resize(m_channels.size());
  for (size_t i = 0; i < m_channels.size(); ++i) {
    Channel& channel = m_channels[i];
    const int k = static_cast<int>(i);
    const double motion = m_randomMotion ? MotionAt(k, t) : ScriptedAt(k, t);
    const double degrees = Degrees(channel, t);
    // Summed left to right as ever, so a board without known truth sends the same values.
    double value = kBaselineCounts + channel.offset;
    if (m_ramp) {
      value += m_ramp->countsPerDegree * (degrees - channel.temperature);
    } else {
      value = value + channel.slowDrift.At(t) + channel.fastDrift.At(t);
    }
    value = value + motion + channel.noise * channel.random.Normal();
    samples[i] = ToSample(value);
    temperatures[i] = ToTemperature(degrees);
  }
  ++m_frame;
}

double SignalModel::Degrees(const Channel& channel, double t) const {
  // A ramp may leave the board's usual range; the byte saturates at 0..255.
  if (m_ramp) return channel.temperature + m_ramp->degreesPerMinute * t / kSecondsPerMinute;
  return std::clamp(channel.temperature + channel.temperatureDrift.At(t), kMinTemperature, kMaxTemperature);
}

double SignalModel::ScriptedAt(int channel, double t) const {
  double sum = 0;
  for (const ScriptedWalk& walk : m_walks) {
    const double age = t - walk.time;
    if (walk.channel != channel + 1 || age < 0 || age >= 1 / kWalkHz) continue;
    sum += walk.peakToPeak / 2 * std::sin(kTwoPi * kWalkHz * age);
  }
  for (const Tone& tone : m_tones) sum += tone.amplitude * std::sin(kTwoPi * tone.frequency * t);
  return sum;
}

void SignalModel::UpdateMotions(double t) {
  m_motions.erase(std::remove_if(m_motions.begin(), m_motions.end(), [t](const Motion& m) { return t > m.end; }),
                  m_motions.end());
  while (t >= m_nextMotion) {
    m_motions.push_back(MakeMotion(m_nextMotion));
    m_nextMotion += kMinMotionGap - kMeanMotionGap * std::log(1.0 - m_events.Uniform());
  }
}

SignalModel::Motion SignalModel::MakeMotion(double start) {
  Motion m;
  m.start = start;
  m.amplitude = m_events.Uniform(150.0, 500.0);
  // Log-uniform over 0.3..5 Hz: slow walks are as likely as quick gestures.
  m.frequency = 0.3 * std::exp(m_events.Uniform(0.0, std::log(5.0 / 0.3)));
  m.decay = m_events.Uniform(0.3, 0.7);
  double lastDelay = 0;
  // All eight are drawn whatever the channel count, so the stream stays the same.
  for (size_t k = 0; k < m.gain.size(); ++k) {
    m.gain[k] = m_events.Uniform(0.3, 1.0);
    m.delay[k] = m_events.Uniform(0.0, 0.2);
    lastDelay = std::max(lastDelay, m.delay[k]);
  }
  m.end = start + lastDelay + kMotionLifetimeInDecays * m.decay;
  // A slow swing reaches only a fraction of its amplitude before it decays;
  // scale every swing so its largest excursion is the amplitude drawn.
  double peak = 0;
  const double lifetime = kMotionLifetimeInDecays * m.decay;
  for (int i = 1; i <= kPeakSearchSteps; ++i) {
    const double age = lifetime * i / kPeakSearchSteps;
    peak = std::max(peak, std::abs(Swing(m, age)));
  }
  m.amplitude /= std::max(peak, kMinPeak);
  return m;
}

double SignalModel::MotionAt(int channel, double t) const {
  double sum = 0;
  const auto k = static_cast<size_t>(channel);
  for (const Motion& m : m_motions) {
    const double age = t - m.start - m.delay[k];
    if (age < 0) {
      continue;
    }
    sum += m.amplitude * m.gain[k] * Swing(m, age);
  }
  return sum;
}

}  // namespace sim
