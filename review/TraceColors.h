#pragma once

#include <QColor>
#include <cstddef>

#include "analysis/LogSession.h"
#include "display/ScopeGeometry.h"

namespace review {

/// A display colour as Qt takes it.
inline QColor ToQColor(TBgrColor c) { return QColor(c.R, c.G, c.B); }

/// The live scope's colour of a channel's trace (channel 1..8): the DC
/// colour, or its half intensity for the AC trace.
inline QColor TraceColor(int channel, analysis::Trace trace) {
  const TBgrColor dc = disp::kDcColors[static_cast<size_t>(channel - 1)];
  return ToQColor(trace == analysis::Trace::Ac ? disp::HalfIntensity(dc) : dc);
}

}  // namespace review
