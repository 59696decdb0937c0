#pragma once

#include <cmath>

namespace analysis {

/// A running sum of doubles with Neumaier's compensation: the rounding error
/// of every addition is carried apart and added back at the end, so the
/// result is as good as a sum in twice the precision for any order of terms.
class CompensatedSum {
 public:
  /// Adds one term.
  void Add(double term) {
    const double next = m_sum + term;
    // Whichever operand is larger in magnitude is exact in next; the
    // smaller one's lost low bits are what the compensation keeps.
    if (std::fabs(m_sum) >= std::fabs(term)) {
      m_compensation += (m_sum - next) + term;
    } else {
      m_compensation += (term - next) + m_sum;
    }
    m_sum = next;
  }

  /// The sum of every term added so far.
  double Value() const { return m_sum + m_compensation; }

 private:
  double m_sum = 0;
  double m_compensation = 0;
};

}  // namespace analysis
