#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "acquisition/TraceMath.h"
#include "analysis/WelchDensity.h"

namespace {

constexpr double kRate = 1000.0 / 3;
constexpr double kTwoPi = 6.283185307179586;

struct Tone {
  double hz, amplitude;
};

std::vector<double> Signal(size_t n, const std::vector<Tone>& tones, double noise, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> gauss(0, noise);
  std::vector<double> v(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    v[i] = 8196 + (noise > 0 ? gauss(random) : 0);
    for (const Tone& tone : tones) v[i] += tone.amplitude * std::sin(kTwoPi * tone.hz * t + tone.hz);
  }
  return v;
}

TEST(Spectrum, ToneReadsBackWithinATenthOfADecibelAndOneBin) {
  const std::vector<Tone> tones = {{0.37, 60}, {7.3, 100}, {52.1, 3}};
  const auto v = Signal(200 * 333, tones, 2, 1);
  const auto s = analysis::WelchSpectrum(v.data(), v.size(), kRate, 0.05);
  ASSERT_LE(s.resolution, 0.05);
  EXPECT_GE(s.averages, 9u);
  for (const Tone& tone : tones) {
    SCOPED_TRACE(tone.hz);
    const auto reading = analysis::ReadTone(s, tone.hz, 0.5);
    EXPECT_LE(std::fabs(reading.frequency - tone.hz), s.resolution);
    EXPECT_LT(std::fabs(20 * std::log10(reading.amplitude / tone.amplitude)), 0.1);
  }
}

TEST(Spectrum, BandRmsObeysParseval) {
  // In the band: two tones; outside: two more and a little white noise.
  const std::vector<Tone> tones = {{1.1, 20}, {4.7, 35}, {40, 50}, {120, 30}};
  const auto v = Signal(300 * 333, tones, 1, 2);
  const auto s = analysis::WelchSpectrum(v.data(), v.size(), kRate, 0.02);
  const double inBand = std::sqrt((20.0 * 20 + 35.0 * 35) / 2);
  const double noiseInBand = std::sqrt(9.9 / (kRate / 2));
  EXPECT_NEAR(analysis::BandRms(s, 0.1, 10), std::hypot(inBand, noiseInBand), 0.02 * inBand);

  // Over every bin: the standard deviation of the samples.
  double mean = 0, squares = 0;
  for (double x : v) mean += x / static_cast<double>(v.size());
  for (double x : v) squares += (x - mean) * (x - mean);
  const double rms = std::sqrt(squares / static_cast<double>(v.size()));
  EXPECT_NEAR(analysis::BandRms(s, 0, kRate), rms, 0.02 * rms);
  EXPECT_NEAR(std::hypot(analysis::BandRms(s, 0, 10), analysis::BandRms(s, 10, kRate)), analysis::BandRms(s, 0, kRate),
              1e-9 * rms);
}

TEST(Spectrum, ShortInputGivesWholeLengthSegmentsOrNone) {
  const auto v = Signal(1000, {{20, 5}}, 0, 3);
  const auto s = analysis::WelchSpectrum(v.data(), v.size(), kRate, 0.01);
  EXPECT_LE(s.segmentLength, 1000u);
  EXPECT_GE(s.segmentLength, 900u);
  EXPECT_EQ(s.averages, 1u);
  EXPECT_EQ(analysis::WelchSpectrum(v.data(), 3, kRate, 0.01).averages, 0u);
  EXPECT_THROW(analysis::WelchSpectrum(v.data(), v.size(), 0, 0.01), std::invalid_argument);
  EXPECT_THROW(analysis::WelchSpectrum(v.data(), v.size(), kRate, NAN), std::invalid_argument);
}

TEST(Spectrum, MainsHarmonicsAboveNyquistFoldBack) {
  struct Fold {
    double hz, seen;
  };
  for (const Fold& f : {Fold{50, 50}, Fold{200, 400.0 / 3}, Fold{300, 100.0 / 3}, Fold{360, 80.0 / 3}}) {
    EXPECT_NEAR(analysis::FoldedFrequency(f.hz, kRate), f.seen, 1e-9) << f.hz;
  }
  // 200 Hz pick-up (the fourth harmonic of 50 Hz) on noise.
  const auto v = Signal(60 * 333, {{200, 8}}, 2, 4);
  const auto s = analysis::WelchSpectrum(v.data(), v.size(), kRate, 0.2);
  int flagged = 0;
  for (const auto& p : analysis::FindMainsPeaks(s)) {
    if (!p.flagged) continue;
    ++flagged;
    EXPECT_EQ(p.mainsHz, 50);
    EXPECT_EQ(p.harmonic, 4);
    EXPECT_NEAR(p.amplitude, 8, 0.2);
  }
  EXPECT_EQ(flagged, 1);
  // Seven samples give four bins: no line can stand out of surroundings it does not have.
  const auto tiny = analysis::WelchSpectrum(v.data(), 7, kRate, 0.2);
  for (const auto& p : analysis::FindMainsPeaks(tiny)) EXPECT_FALSE(p.flagged) << p.harmonic << "x" << p.mainsHz;
}

// The magnitude response against the live filter itself, run on sines of
// whole cycles in n samples, the output's amplitude found by correlation.
TEST(Spectrum, AcFilterResponseMatchesTheLiveFilter) {
  const double n = 100000;
  const double amplitude = 1e6;
  for (double cycles : {9.0, 49.0, 150.0, 900.0, 15000.0, 45000.0}) {
    const double hz = cycles * kRate / n;
    SCOPED_TRACE(hz);
    acq::AcFilterState state;
    double inPhase = 0, quadrature = 0;
    for (double i = -n; i < n; ++i) {  // the first n settle the filter
      const double phase = kTwoPi * cycles * i / n;
      const double y = acq::AcFilterStep(state, std::llround(amplitude * std::sin(phase)));
      if (i < 0) continue;
      inPhase += y * std::sin(phase);
      quadrature += y * std::cos(phase);
    }
    const double gain = 2 * std::hypot(inPhase, quadrature) / n / amplitude;
    EXPECT_NEAR(gain, analysis::AcFilterMagnitude(hz, kRate), 1e-5);
  }
  EXPECT_EQ(analysis::AcFilterMagnitude(0, kRate), 0);
  EXPECT_NEAR(analysis::AcFilterMagnitude(kRate / 2, kRate), 524288.0 / 523265, 1e-12);
}

}  // namespace
