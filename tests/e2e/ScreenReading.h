#pragma once

#include <QImage>
#include <vector>

/// Rows (from the top of the screen) holding pixels of one colour, one entry per pixel.
std::vector<int> RowsOfColour(const QImage& image, QRgb colour);

/// The screen row of the scope's centre line, halfway between the top and the
/// bottom silver grid lines (the traces may hide the black line itself); -1
/// when no scope is on screen.
int CentreLineRow(const QImage& image);

/// The most frequent value: the row a settled trace keeps returning to.
/// `values` must not be empty.
int MostCommon(const std::vector<int>& values);

/// What the screen shows of channel 1 on the scope.
struct ChannelOne {
  explicit ChannelOne(const QImage& screen);

  /// AC rows within a few pixels of the centre line.
  long AcNearCentre() const;
  /// The board's baseline sits near 8196 counts, which the default offset
  /// puts on the centre line; the settled high-pass trace lies on it too,
  /// most of it over a good part of a sweep (a trace still settling only
  /// crosses the centre).
  bool Settled() const;

  int centre;
  std::vector<int> dc;
  std::vector<int> ac;
};
