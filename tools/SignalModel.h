#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/Random.h"

namespace sim {

// A walk put in on purpose: one cycle of a 1 Hz sine on one channel's DC
// signal, starting at time, with the given peak-to-peak in counts.
struct ScriptedWalk {
  double time = 0;         // seconds from the first frame
  int channel = 1;         // 1..8
  double peakToPeak = 0;   // counts
};

// A sine on every channel's DC signal, from the first frame on.
struct Tone {
  double frequency = 0;    // Hz; above the Nyquist frequency it folds back
  double amplitude = 0;    // counts (half the peak-to-peak)
};

// Every channel's temperature rising (or falling) steadily from its starting
// value, and its DC level following it.
struct TemperatureRamp {
  double degreesPerMinute = 0;
  double countsPerDegree = 0;
};

// What the simulated board sends.
struct BoardConfig {
  int channels = 8;          // 1..8
  bool temperatures = true;  // frames carry one temperature byte per channel
  uint64_t seed = 1;         // same seed, same signals
};

// Known truth for checking measurements, put into the signals on purpose.
// Any walk or tone turns the random motions off, so the signals hold what
// was put in, the baseline's drift and the noise.
struct KnownTruth {
  std::vector<ScriptedWalk> walks;
  std::vector<Tone> tones;
  // Replaces the random temperature drift and the baseline's slow random
  // drifts, so the DC level moves with the temperature alone.
  std::optional<TemperatureRamp> ramp;
};

constexpr double kFramePeriodSeconds = 0.003;
constexpr double kBaselineCounts = 8196.0;
constexpr double kMinTemperature = 20.0;
constexpr double kMaxTemperature = 30.0;

// Sample value of a real signal: truncated toward zero and saturated to
// 0..65535; NaN gives 0.
uint16_t ToSample(double counts);

// Temperature byte of a real temperature: truncated toward zero and saturated
// to 0..255; NaN gives 0.
uint8_t ToTemperature(double degrees);

// Signals of a passive-infrared sensor board, one frame every 3 ms: each
// channel sits near 8196 counts with its own offset and a slow thermal drift,
// motion in front of the board adds swings of a few hundred counts at 0.3 to
// 5 Hz that die away within a second or two (seen by every channel with its
// own strength and delay), and a little noise sits on top. Temperatures stay
// within 20..30 degrees unless a ramp drives them. Scripted walks, tones and
// a temperature ramp (KnownTruth) add known truth. Each channel draws from
// its own random stream, so channel k looks the same whatever the channel
// count.
class SignalModel {
 public:
  // Throws std::invalid_argument if channels is outside 1..8 or a scripted
  // walk names a channel the board does not have.
  explicit SignalModel(const BoardConfig& config, const KnownTruth& truth = {});

  // Values of the next frame (one per channel; temperatures even when the
  // board does not send them), then advances by one frame period.
  void Next(std::vector<uint16_t>& samples, std::vector<uint8_t>& temperatures);

  int Channels() const { return static_cast<int>(m_channels.size()); }

  // Signal time of the next frame, in seconds.
  double Time() const;

 private:
  struct Wave {
    double amplitude = 0;
    double period = 1;
    double phase = 0;
    double At(double t) const;
  };
  struct Channel {
    explicit Channel(uint64_t seed);
    Random random;
    double offset;
    Wave slowDrift;
    Wave fastDrift;
    double noise;
    double temperature;
    Wave temperatureDrift;
  };
  struct Motion {
    double start = 0;
    double amplitude = 0;
    double frequency = 0;
    double decay = 0;
    std::array<double, 8> gain{};
    std::array<double, 8> delay{};
    double end = 0;
  };

  // Unit swing of a motion at an age in seconds: a decaying sine.
  static double Swing(const Motion& m, double age);
  double MotionAt(int channel, double t) const;
  double ScriptedAt(int channel, double t) const;
  double Degrees(const Channel& channel, double t) const;
  void UpdateMotions(double t);
  Motion MakeMotion(double start);

  std::vector<Channel> m_channels;
  std::vector<ScriptedWalk> m_walks;
  std::vector<Tone> m_tones;
  std::optional<TemperatureRamp> m_ramp;
  bool m_randomMotion;
  std::vector<Motion> m_motions;
  Random m_events;
  double m_nextMotion;
  uint64_t m_frame = 0;
};

}  // namespace sim
