#pragma once

#include <array>
#include <cassert>

namespace app {

constexpr int kChannelCount = 8;

/// A value per sensor channel, indexed by the channel number 1 to 8 as
/// everywhere else in the program; the 0-based storage stays in here.
template <class T>
class PerChannel {
 public:
  T& operator[](int channel) {
    assert(IsChannel(channel));
    return m_values[static_cast<size_t>(channel - 1)];
  }
  const T& operator[](int channel) const {
    assert(IsChannel(channel));
    return m_values[static_cast<size_t>(channel - 1)];
  }
  void Fill(const T& value) { m_values.fill(value); }

  static constexpr bool IsChannel(long long channel) { return channel >= 1 && channel <= kChannelCount; }

 private:
  std::array<T, kChannelCount> m_values{};
};

}  // namespace app
