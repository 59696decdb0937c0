#include "analysis/WelchDensity.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <stdexcept>

#include "analysis/CompensatedSum.h"

namespace analysis {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMinSegment = 4;
// Far beyond any useful resolution, and small enough for the transform's int sizes.
constexpr int kMaxSegment = 1 << 24;
constexpr int kToneHalfWidthBins = 3;
constexpr int kFloorHalfWidthBins = 30;
constexpr double kMainsHz[] = {50, 60};

struct FftrDeleter {
  void operator()(kiss_fftr_state* cfg) const { kiss_fftr_free(cfg); }
};

int FastLength(int n) { return kiss_fftr_next_fast_size_real(n); }

int SegmentLength(size_t size, double sampleRate, double wantedResolution) {
  const double wanted = std::ceil(sampleRate / wantedResolution);
  const int limit = static_cast<int>(std::min<size_t>(size, kMaxSegment)) & ~1;
  // Compared as reals: the quotient may exceed any int.
  if (wanted < limit) {
    const int fast = FastLength(std::max(static_cast<int>(wanted), kMinSegment));
    if (fast <= limit) return fast;
  }
  // The whole input at most, at a length whose factors the transform handles fast.
  int length = limit;
  while (length > kMinSegment && FastLength(length) != length) length -= 2;
  return length;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

size_t NearestBin(const Spectrum& spectrum, double hz) {
  const double bin = std::round(hz / spectrum.resolution);
  // Compared before converting: a NaN or out-of-range real has no size_t.
  if (!(bin > 0)) return 0;
  const size_t last = spectrum.psd.size() - 1;
  return bin < static_cast<double>(last) ? static_cast<size_t>(bin) : last;
}

}  // namespace

double Spectrum::Density(size_t bin) const { return std::sqrt(psd[bin]); }

Spectrum WelchSpectrum(const double* values, size_t size, double sampleRate, double wantedResolution) {
  if (!(std::isfinite(sampleRate) && sampleRate > 0 && std::isfinite(wantedResolution) && wantedResolution > 0)) {
    throw std::invalid_argument("spectrum: sample rate and resolution must be finite and > 0");
  }
  Spectrum spectrum;
  spectrum.sampleRate = sampleRate;
  if (size < static_cast<size_t>(kMinSegment)) return spectrum;
  const int length = SegmentLength(size, sampleRate, wantedResolution);
  const auto n = static_cast<size_t>(length);
  spectrum.segmentLength = n;
  spectrum.resolution = sampleRate / static_cast<double>(n);
  const size_t bins = n / 2 + 1;
  std::vector<double> window(n);
  double windowPower = 0;
  for (size_t i = 0; i < n; ++i) {
    window[i] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / static_cast<double>(n));
    windowPower += window[i] * window[i];
  }
  std::unique_ptr<kiss_fftr_state, FftrDeleter> cfg(kiss_fftr_alloc(length, 0, nullptr, nullptr));
  if (!cfg) throw std::bad_alloc();
  std::vector<kiss_fft_scalar> segment(n);
  std::vector<kiss_fft_cpx> transform(bins);
  std::vector<double> sum(bins, 0.0);
  const size_t step = n / 2;
  for (size_t start = 0; start + n <= size; start += step) {
    CompensatedSum total;
    for (size_t i = 0; i < n; ++i) total.Add(values[start + i]);
    const double mean = total.Value() / static_cast<double>(n);
    // The mean comes off in double before the narrowing to the transform's
    // float, which would otherwise spend its precision on the DC level.
    for (size_t i = 0; i < n; ++i) segment[i] = static_cast<kiss_fft_scalar>((values[start + i] - mean) * window[i]);
    kiss_fftr(cfg.get(), segment.data(), transform.data());
    for (size_t k = 0; k < bins; ++k) {
      const double re = transform[k].r;
      const double im = transform[k].i;
      sum[k] += re * re + im * im;
    }
    ++spectrum.averages;
  }
  const double scale = 1.0 / (sampleRate * windowPower * static_cast<double>(spectrum.averages));
  spectrum.psd.resize(bins);
  for (size_t k = 0; k < bins; ++k) {
    const bool edge = k == 0 || k == n / 2;
    spectrum.psd[k] = sum[k] * scale * (edge ? 1.0 : 2.0);
  }
  return spectrum;
}

double BandRms(const Spectrum& spectrum, double fromHz, double toHz) {
  CompensatedSum power;
  for (size_t k = 0; k < spectrum.psd.size(); ++k) {
    const double f = spectrum.Frequency(k);
    if (f >= fromHz && f < toHz) power.Add(spectrum.psd[k]);
  }
  return std::sqrt(power.Value() * spectrum.resolution);
}

ToneReading ReadTone(const Spectrum& spectrum, double nearHz, double searchHz) {
  ToneReading reading;
  if (spectrum.psd.empty()) return reading;
  const size_t from = NearestBin(spectrum, nearHz - searchHz);
  const size_t to = NearestBin(spectrum, nearHz + searchHz);
  size_t peak = from;
  for (size_t k = from; k <= to; ++k) {
    if (spectrum.psd[k] > spectrum.psd[peak]) peak = k;
  }
  const size_t low = peak > kToneHalfWidthBins ? peak - kToneHalfWidthBins : 0;
  const size_t high = std::min(peak + kToneHalfWidthBins, spectrum.psd.size() - 1);
  CompensatedSum power;
  for (size_t k = low; k <= high; ++k) power.Add(spectrum.psd[k]);
  reading.frequency = spectrum.Frequency(peak);
  // A sine of amplitude A carries A^2/2 of power.
  reading.amplitude = std::sqrt(2 * power.Value() * spectrum.resolution);
  return reading;
}

double FoldedFrequency(double frequencyHz, double sampleRate) {
  const double wrapped = std::fmod(std::fabs(frequencyHz), sampleRate);
  return wrapped > sampleRate / 2 ? sampleRate - wrapped : wrapped;
}

std::vector<MainsPeak> FindMainsPeaks(const Spectrum& spectrum, int maxHarmonic, double minProminenceDb) {
  std::vector<MainsPeak> peaks;
  if (spectrum.psd.size() < 2) return peaks;
  const auto bins = static_cast<std::ptrdiff_t>(spectrum.psd.size());
  for (double mains : kMainsHz) {
    for (int h = 1; h <= maxHarmonic; ++h) {
      MainsPeak p;
      p.mainsHz = mains;
      p.harmonic = h;
      p.apparentHz = FoldedFrequency(mains * h, spectrum.sampleRate);
      const ToneReading tone = ReadTone(spectrum, p.apparentHz, spectrum.resolution);
      p.amplitude = tone.amplitude;
      const auto centre = static_cast<std::ptrdiff_t>(NearestBin(spectrum, tone.frequency));
      std::vector<double> around;
      for (std::ptrdiff_t k = std::max<std::ptrdiff_t>(0, centre - kFloorHalfWidthBins);
           k < std::min(bins, centre + kFloorHalfWidthBins + 1); ++k) {
        if (std::abs(k - centre) > kToneHalfWidthBins + 1) around.push_back(spectrum.psd[static_cast<size_t>(k)]);
      }
      // A spectrum of a few bins has no surroundings to stand out from: its
      // lines stay unflagged rather than infinitely prominent.
      if (around.empty()) {
        peaks.push_back(p);
        continue;
      }
      const double floor = Median(around);
      const double line = spectrum.psd[static_cast<size_t>(centre)];
      p.prominenceDb =
          floor > 0 ? 10 * std::log10(line / floor) : (line > 0 ? std::numeric_limits<double>::infinity() : 0);
      p.flagged = p.prominenceDb >= minProminenceDb;
      peaks.push_back(p);
    }
  }
  return peaks;
}

double AcFilterMagnitude(double frequencyHz, double sampleRate) {
  const std::complex<double> z = std::polar(1.0, 2 * kPi * frequencyHz / sampleRate);
  const std::complex<double> u = z - 1.0;
  return std::abs(131072.0 * u * u / (131072.0 * u * u + 512.0 * u + 1.0));
}

}  // namespace analysis
