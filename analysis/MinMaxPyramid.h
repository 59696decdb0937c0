#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace analysis {

/// The lowest and highest of a set of values; empty when low > high.
template <class T>
struct ValueRange {
  T low;
  T high;

  bool Empty() const { return high < low; }
  void Merge(const ValueRange& other) {
    low = std::min(low, other.low);
    high = std::max(high, other.high);
  }
};

/// A growing series summarised as a min/max pyramid: level 0 holds the range
/// of each block of kFanOut consecutive items, level k of each block of
/// kFanOut^(k+1). A range query over any span of items combines at most
/// 2 (kFanOut - 1) entries per level, so drawing a pixel column costs about
/// the same at every zoom. The items themselves are not kept; a query covers
/// its span rounded outward to whole level-0 blocks, so every item of the
/// span lies inside the answer. Level storage grows in small pieces (a
/// deque), never by doubling.
template <class T>
class MinMaxPyramid {
 public:
  static constexpr size_t kFanOut = 8;

  MinMaxPyramid() : m_levels(1) {}

  /// Adds the next item, given as the range [low, high] (low == high for an exact value).
  void Append(T low, T high) {
    auto& bottom = m_levels[0];
    if (m_count % kFanOut == 0) {
      bottom.push_back({low, high});
    } else {
      bottom.back().Merge({low, high});
    }
    ++m_count;
    if (m_count % kFanOut == 0) Fold(1, bottom.back());
  }

  /// Items appended.
  size_t Count() const { return m_count; }

  /// Range over items [first, end) (end <= Count(), first < end), rounded
  /// outward to whole blocks of kFanOut items.
  ValueRange<T> Query(size_t first, size_t end) const {
    ValueRange<T> range{m_levels[0][first / kFanOut].low, m_levels[0][first / kFanOut].high};
    size_t lo = first / kFanOut;
    size_t hi = (end + kFanOut - 1) / kFanOut;
    for (size_t level = 0; lo < hi; ++level) {
      const auto& entries = m_levels[level];
      if (level + 1 == m_levels.size()) {
        for (; lo < hi; ++lo) range.Merge(entries[lo]);
        break;
      }
      for (; lo < hi && lo % kFanOut != 0; ++lo) range.Merge(entries[lo]);
      // Only whole blocks of the level above are complete; the entries after
      // the last whole one are taken at this level.
      const size_t parentEnd = std::min(hi / kFanOut, CompleteEntries(level + 1));
      for (; hi > lo && hi > parentEnd * kFanOut; --hi) range.Merge(entries[hi - 1]);
      lo /= kFanOut;
      hi /= kFanOut;
    }
    return range;
  }

  /// Range over items [first, end) (end <= Count(), first < end) from the
  /// entries of blocks of at most `blockItems` items: rounded outward to
  /// whole blocks of that size, or of kFanOut at least, which for a span
  /// of many such blocks costs one entry per block and no descent.
  ValueRange<T> QueryCoarse(size_t first, size_t end, size_t blockItems) const {
    size_t level = 0;
    size_t block = kFanOut;
    while (level + 1 < m_levels.size() && block * kFanOut <= blockItems) {
      ++level;
      block *= kFanOut;
    }
    // Level 0 is up to date to the last item; above it only whole blocks are.
    const size_t usable = level == 0 ? m_levels[0].size() : CompleteEntries(level);
    const size_t lo = first / block;
    const size_t hi = std::min((end + block - 1) / block, usable);
    if (lo >= hi) return Query(first, end);
    const auto& entries = m_levels[level];
    ValueRange<T> range = entries[lo];
    for (size_t i = lo + 1; i < hi; ++i) range.Merge(entries[i]);
    if (hi * block < end) range.Merge(Query(hi * block, end));
    return range;
  }

  /// Bytes held by the pyramid's entries.
  size_t Bytes() const {
    size_t entries = 0;
    for (const auto& level : m_levels) entries += level.size();
    return entries * sizeof(ValueRange<T>);
  }

 private:
  /// Entries of `level` whose whole block of items has arrived.
  size_t CompleteEntries(size_t level) const {
    size_t items = m_count;
    for (size_t k = 0; k <= level; ++k) items /= kFanOut;
    return items;
  }

  /// Merges a just completed entry of level - 1 into `level`.
  void Fold(size_t level, ValueRange<T> range) {
    if (level == m_levels.size()) m_levels.emplace_back();
    auto& entries = m_levels[level];
    const size_t childIndex = CompleteEntries(level - 1) - 1;
    if (childIndex / kFanOut == entries.size()) {
      entries.push_back(range);
    } else {
      entries.back().Merge(range);
    }
    if ((childIndex + 1) % kFanOut == 0) Fold(level + 1, entries.back());
  }

  std::vector<std::deque<ValueRange<T>>> m_levels;
  size_t m_count = 0;
};

}  // namespace analysis
